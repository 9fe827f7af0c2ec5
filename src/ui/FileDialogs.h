#pragma once

#include <QString>

#include <functional>

class QWidget;

// File-open dialogs by name (Java对话框, 核心对话框, 语言文件对话框, …). Tests and automation answer
// them through a hook instead of a real dialog.
namespace filedialogs {

// Shows a modal file-open dialog; returns the chosen file's full path, or an empty text when the
// user cancelled.
QString chooseFile(QWidget* parent, const QString& dialogName, const QString& title, const QString& folder,
                   const QString& filter);

// When set, chooseFile calls the hook with the dialog's name instead of showing a dialog and returns
// its answer (an empty text for cancel). Pass nullptr to remove.
void setAnswerHook(std::function<QString(const QString& dialogName)> hook);

} // namespace filedialogs
