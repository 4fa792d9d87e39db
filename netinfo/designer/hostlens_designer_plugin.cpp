#include "hostlens_designer_plugin.h"

#include "hostlens/hostlens.h"

#include <QIcon>

HostlensDesignerPlugin::HostlensDesignerPlugin(QObject *parent)
    : QObject(parent)
{
}

QString HostlensDesignerPlugin::name() const
{
    return QStringLiteral("Hostlens");
}

QString HostlensDesignerPlugin::group() const
{
    return QStringLiteral("Network");
}

QString HostlensDesignerPlugin::toolTip() const
{
    return QStringLiteral("LAN, Internet and adapter addresses of this computer");
}

QString HostlensDesignerPlugin::whatsThis() const
{
    return QStringLiteral("Set GetInfo to true; the control reports the addresses through its "
                          "LanIPAddressIs, InternetIPAddressIs and MACAddressIs signals.");
}

QString HostlensDesignerPlugin::includeFile() const
{
    return QStringLiteral("hostlens/hostlens.h");
}

QIcon HostlensDesignerPlugin::icon() const
{
    Hostlens sample;
    return QIcon(sample.grab());
}

bool HostlensDesignerPlugin::isContainer() const
{
    return false;
}

QWidget *HostlensDesignerPlugin::createWidget(QWidget *parent)
{
    // Designer builds instances for previews and for every form it opens as well as
    // for a new placement, and cannot tell them apart here: the about box that a new
    // placement shows stays behind the control's "ShowAboutBox" instead.
    return new Hostlens(parent);
}

QString HostlensDesignerPlugin::domXml() const
{
    return QStringLiteral("<ui language=\"c++\">\n"
                          " <widget class=\"Hostlens\" name=\"hostlens\"/>\n"
                          "</ui>\n");
}
