#pragma once

#include "browserplugin.h"
#include "frmbrowser.h"

#include <QObject>
#include <QPointer>

namespace info {

// The browser module's entry point, found by the clock side through the plugin loader.
class BrowserModule : public QObject, public BrowserPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PartivaktBrowserPlugin_iid)
    Q_INTERFACES(info::BrowserPlugin)
public:
    QWidget *showBrowserWindow(const QString &startingAddress) override;

private:
    QPointer<frmbrowser> m_window;
};

} // namespace info
