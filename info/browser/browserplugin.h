#pragma once

// The one entry point of the browser module. The clock side includes only this header, so it never
// links the browser engine.

#include <QString>
#include <QtPlugin>

class QWidget;

namespace info {

class BrowserPlugin {
public:
    virtual ~BrowserPlugin() = default;
    // Shows the one browser window: created and loaded on the first call (a non-empty
    // startingAddress is then opened instead of the home address), brought to the front later.
    virtual QWidget *showBrowserWindow(const QString &startingAddress) = 0;
};

} // namespace info

#define PartivaktBrowserPlugin_iid "io.github.partivakt.Partivakt.BrowserPlugin/1"
Q_DECLARE_INTERFACE(info::BrowserPlugin, PartivaktBrowserPlugin_iid)
