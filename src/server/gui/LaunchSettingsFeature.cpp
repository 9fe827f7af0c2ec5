#include "server/gui/LaunchSettingsFeature.h"

#include "platform/RunDirectory.h"
#include "server/gui/LaunchSettingsController.h"
#include "settings/Settings.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/Navigation.h"
#include "ui/widgets/FlatButton.h"

#include <QDir>
#include <QLineEdit>

namespace {

constexpr int PageIndex = 2;
const QString ResetTitle = QStringLiteral("重置服务器提示");
const QString ResetQuestion =
    QStringLiteral("确定要重置服务器吗？重置会执行以下步骤\r\n1.删除服务器server文件夹所有文件");

struct StoredField {
    const QString& key;
    QLineEdit* launchsettingspage::Controls::*control;
};

// The stored launch fields in the order the save button writes them.
const QList<StoredField>& storedFields()
{
    using C = launchsettingspage::Controls;
    static const QList<StoredField> fields = {
        {settings::AutosaveKey, &C::autosave}, {settings::JavaPathKey, &C::javaPath},
        {settings::CoreKey, &C::core},         {settings::MemoryKey, &C::memory},
        {settings::ChatNameKey, &C::chatName}, {settings::ExtraArgsKey, &C::extraArgs},
    };
    return fields;
}

} // namespace

LaunchSettingsFeature::LaunchSettingsFeature(const FeatureContext& context)
    : m_page(launchsettingspage::build(context.window.page(PageIndex))), m_runtime(context.runtime)
{
    m_controller = new LaunchSettingsController(context.window.page(PageIndex), this);
    context.navigation.setPageAction(PageIndex, [this] { m_controller->refreshCoreList(); });
    m_runtime.setLaunchInputs(this);

    connect(m_page.crashRestart, &FlatButton::clicked, this, [this] {
        settings::writePreference(settings::CrashRestartKey,
                                  settings::onOff(m_page.crashRestart->isChecked()));
    });
    connect(m_page.save, &FlatButton::clicked, this, &LaunchSettingsFeature::saveServerSettings);
    connect(m_page.resetServer, &FlatButton::clicked, this, &LaunchSettingsFeature::openResetQuestion);

    boxes::addConfirmAction(
        7, boxes::MatchOn::Text, ResetQuestion,
        [](QWidget*) {
            // Deleting is enough: the housekeeping tick recreates the empty folder and the defaults.
            QDir(rundir::join(QStringLiteral("panel/server"))).removeRecursively();
        },
        this);
}

void LaunchSettingsFeature::load()
{
    m_page.crashRestart->setChecked(settings::isOn(settings::readPreference(settings::CrashRestartKey)));
    for (const StoredField& field : storedFields())
        (m_page.*field.control)->setText(settings::readServerSetting(field.key));
}

LaunchInputSource::Fields LaunchSettingsFeature::launchFields() const
{
    return {m_page.javaPath->text(), m_page.memory->text(), m_page.core->text(), m_page.autosave->text(),
            m_page.extraArgs->text()};
}

bool LaunchSettingsFeature::crashRestartEnabled() const
{
    return m_page.crashRestart->isChecked();
}

void LaunchSettingsFeature::saveServerSettings()
{
    if (m_page.autosave->text().isEmpty() || m_page.javaPath->text().isEmpty() ||
        m_page.core->text().isEmpty() || m_page.memory->text().isEmpty()) {
        boxes::showInfoBox(QStringLiteral("数据不能为空"), QStringLiteral("数据提示"), boxes::Error);
        return;
    }
    QList<std::pair<QString, QString>> values;
    for (const StoredField& field : storedFields())
        values.append({field.key, (m_page.*field.control)->text()});
    if (const QString failure = settings::saveServerSettings(values); !failure.isEmpty()) {
        boxes::showInfoBox(failure, QStringLiteral("数据提示"), boxes::Error);
        return;
    }
    m_controller->refreshCoreList();
    boxes::showInfoBox(settings::SaveSucceededText, QStringLiteral("数据提示"), boxes::Success);
}

void LaunchSettingsFeature::openResetQuestion()
{
    if (m_runtime.state() == ServerState::Running) {
        boxes::showInfoBox(QStringLiteral("服务器正在运行请先关闭"), ResetTitle, boxes::Error);
        return;
    }
    boxes::askConfirm(ResetQuestion, ResetTitle);
}
