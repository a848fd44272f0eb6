// The help page: the installed copy, or the built-in one written where only the user can read
// and change it, and a window of the program's own for a desktop without a browser.
#include "app/HelpPage.h"

#include "platform/Version.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const QString kBuiltInFolder = QStringLiteral(":/help/");
const QString kEnglishPage = QStringLiteral("index.html");

// The page in the language of the program's texts: the translation names its own page
// ("index.de.html"), and English or a language without a page of its own reads index.html.
QString pageName()
{
    const QString name = QCoreApplication::translate("HelpPage", "index.html",
        "the file name of the help page in this language: index.<language>.html, or index.html for the English page");
    return QFile::exists(kBuiltInFolder + name) ? name : kEnglishPage;
}
constexpr QFileDevice::Permissions kOwnerOnly
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// A folder for the copy that no other user can enter or fill in beforehand: under the user's
// runtime folder (which Qt makes sure is the user's own and closed to others), else one made
// for this process alone.
QString privateHelpFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        const QString folder = runtime + QStringLiteral("/nelvox-help");
        const QFileInfo info(folder);
        if (!info.exists())
            QDir().mkdir(folder, kOwnerOnly);
        const QFileInfo made(folder);
        if (made.isDir() && !made.isSymLink() && made.ownerId() == QFileInfo(runtime).ownerId()
            && QFile::setPermissions(folder, kOwnerOnly))
            return folder;
    }
    // Made with mode 0700 under a name no one could guess, and gone when the program ends.
    static QTemporaryDir own(QDir::tempPath() + QStringLiteral("/nelvox-help-XXXXXX"));
    return own.isValid() ? own.path() : QString();
}

} // namespace

QUrl HelpPageUrl()
{
    // Installed with the program, which lives in <prefix>/libexec/nelvox/:
    // <prefix>/share/doc/nelvox/help/index.html, and the translated pages beside it.
    const QString name = pageName();
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : { appDir + QStringLiteral("/../../share/doc/nelvox/help/") + name }) {
        if (QFileInfo::exists(candidate))
            return QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
    }

    // A browser cannot read the program's resources; hand it a copy.
    const QString folder = privateHelpFolder();
    QFile source(kBuiltInFolder + name);
    if (folder.isEmpty() || !source.open(QIODevice::ReadOnly))
        return {};
    const QString target = folder + u'/' + name;
    QSaveFile copy(target);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(source.readAll()) < 0 || !copy.commit())
        return {};
    return QUrl::fromLocalFile(target);
}

void ShowHelpWindow(QWidget* owner)
{
    QDialog window(owner);
    window.setObjectName(QStringLiteral("helpWindow"));
    window.setWindowTitle(NelvoxCaption(QCoreApplication::translate("HelpPage", "Help", "the help window's caption")));
    auto* layout = new QVBoxLayout(&window);
    auto* page = new QTextBrowser(&window);
    // Links within the page work; links out of it would need the browser that is missing.
    page->setOpenExternalLinks(false);
    page->setSource(QUrl(QStringLiteral("qrc") + kBuiltInFolder + pageName()));
    layout->addWidget(page);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    layout->addWidget(buttons);
    window.resize(640, 480);
    window.exec();
}
