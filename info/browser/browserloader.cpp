#include "browserloader.h"

#include "browserplugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>

#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace info {

namespace {

QPluginLoader *g_loader = nullptr;
BrowserPlugin *g_plugin = nullptr;
QString g_loadFailure; // why a module that was found could not be loaded
std::optional<QString> g_moduleOverride;

QString moduleFileName()
{
    return QStringLiteral(PARTIVAKT_BROWSER_MODULE_FILE);
}

// The module file: the first found beside the program (a build directory), in the library
// directory of the installation the program runs from (wherever its prefix), or in the directory
// it was built to be installed in. Empty when there is none.
QString locateModule()
{
    if (g_moduleOverride)
        return QFileInfo(*g_moduleOverride).isFile() ? *g_moduleOverride : QString();
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList dirs{programDir,
                           QDir::cleanPath(programDir + QStringLiteral("/" PARTIVAKT_BROWSER_BIN_TO_MODULE)),
                           QStringLiteral(PARTIVAKT_BROWSER_INSTALL_DIR)};
    for (const QString &dir : dirs) {
        const QString path = QDir(dir).filePath(moduleFileName());
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString notFoundReason()
{
#if PARTIVAKT_BROWSER_BUILT
    return QStringLiteral("Nettleseren er ikke installert: fant ikke nettlesermodulen %1.").arg(moduleFileName());
#else
    return QStringLiteral("Nettleseren er ikke med i denne utgaven av Partivakt: den ble bygd uten Qt WebEngine.");
#endif
}

// Why the module at path cannot be used, read from its plugin data without loading it.
QString moduleProblem(const QString &path)
{
    const QJsonObject meta = QPluginLoader(path).metaData();
    if (meta.value(QStringLiteral("IID")).toString() != QLatin1String(PartivaktBrowserPlugin_iid))
        return QStringLiteral("Nettleseren kan ikke åpnes: %1 er ikke en nettlesermodul for denne versjonen av "
                              "Partivakt.")
            .arg(QDir::toNativeSeparators(path));
    return {};
}

void prepareEngineEnvironment()
{
#ifdef Q_OS_UNIX
    // The engine's sandbox refuses to run as root; only then is it turned off.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

} // namespace

QString browserUnavailableReason()
{
    if (g_plugin)
        return {};
    if (!g_loadFailure.isEmpty())
        return g_loadFailure;
    const QString path = locateModule();
    if (path.isEmpty())
        return notFoundReason();
    return moduleProblem(path);
}

QString showBrowserWindow(const QString &startingAddress)
{
    if (!g_plugin) {
        const QString reason = browserUnavailableReason();
        if (!reason.isEmpty())
            return reason;
        prepareEngineEnvironment();
        g_loader = new QPluginLoader(locateModule(), QCoreApplication::instance());
        // The engine cannot be unloaded safely; once in, the module stays for the program's life.
        if (!g_loader->load()) {
            g_loadFailure = QStringLiteral("Nettleseren kan ikke åpnes: nettlesermodulen kunne ikke lastes (%1). "
                                           "Kanskje mangler Qt WebEngine på denne maskinen.")
                                .arg(g_loader->errorString());
            return g_loadFailure;
        }
        g_plugin = qobject_cast<BrowserPlugin *>(g_loader->instance());
        if (!g_plugin) {
            g_loadFailure = QStringLiteral("Nettleseren kan ikke åpnes: nettlesermodulen passer ikke til denne "
                                           "versjonen av Partivakt.");
            return g_loadFailure;
        }
    }
    if (!g_plugin->showBrowserWindow(startingAddress))
        return QStringLiteral("Nettleseren kan ikke åpnes: nettleservinduet kunne ikke lages.");
    return {};
}

void detail::setModuleForTests(const std::optional<QString> &path)
{
    g_moduleOverride = path;
}

bool browserModuleLoaded()
{
    return g_loader && g_loader->isLoaded();
}

} // namespace info
