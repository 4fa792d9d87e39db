#include "usage/lock_screen.h"

#include "startup/station_context.h"

namespace vorlane {

LockScreen::LockScreen(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmstart"));
}

LockScreen::~LockScreen() = default;

void LockScreen::load()
{
}

void LockScreen::activate()
{
}

void LockScreen::unload()
{
}

void LockScreen::cmdsubt_Click()
{
}

QRadioButton *LockScreen::optchoice(int) const
{
    return nullptr;
}

QLineEdit *LockScreen::txtlog() const
{
    return nullptr;
}

QLineEdit *LockScreen::txtpas() const
{
    return nullptr;
}

} // namespace vorlane
