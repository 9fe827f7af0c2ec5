#pragma once

class QWidget;

// Lays out the online players page (page 10) and its panel toggle 玩家管理: the tag "显示" shows the
// plugin install buttons, "隐藏" the player action buttons.
namespace playerspage {
void build(QWidget* page);
void togglePlayerPanel(QWidget* page);
} // namespace playerspage
