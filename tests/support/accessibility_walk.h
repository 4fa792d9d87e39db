#pragma once

#include <QStringList>

class QWidget;

namespace vorlane::test {

/// Walks `window` as a screen reader sees it (through QAccessible) and lists every
/// fault of a shown control, as "objectName: what is wrong": a control without a
/// name, an enabled button without a press action or without a Tab stop, and a
/// text that invites a click (a pointing hand) but exposes no action. `controls`
/// receives how many shown controls were checked.
QStringList accessibilityFaults(QWidget *window, int *controls = nullptr);

} // namespace vorlane::test
