#include "app/ToolbarPictures.h"

#include "components/WindowKit.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QStyle>

namespace {

struct Picture
{
    const char *name;
    QStyle::StandardPixmap standard;
};

// Drawn from the style's standard pictures, so they match the desktop.
const Picture Pictures[] = {
    {"new", QStyle::SP_FileIcon},
    {"save", QStyle::SP_DialogSaveButton},
    {"delete", QStyle::SP_TrashIcon},
    {"cancel", QStyle::SP_DialogCancelButton},
    {"post", QStyle::SP_DialogApplyButton},
    {"return", QStyle::SP_BrowserReload},
    {"print", QStyle::SP_FileDialogContentsView},
    {"navigator", QStyle::SP_FileDialogContentsView},
    {"exchange", QStyle::SP_BrowserReload},
    {"statistics", QStyle::SP_MediaSkipBackward},
    {"back", QStyle::SP_ArrowLeft},
    {"forward", QStyle::SP_ArrowRight},
    {"end", QStyle::SP_MediaSkipForward},
    {"edit", QStyle::SP_FileDialogDetailedView},
    {"exit", QStyle::SP_DialogCloseButton},
    {"check", QStyle::SP_DialogOkButton},
    {"help", QStyle::SP_DialogHelpButton},
    {"archive", QStyle::SP_DirOpenIcon},
    {"rent", QStyle::SP_DriveCDIcon},
    {"titles", QStyle::SP_DriveDVDIcon},
    {"cashbox", QStyle::SP_ComputerIcon},
    {"service", QStyle::SP_DesktopIcon},
    {"about", QStyle::SP_MessageBoxInformation},
    {"warning", QStyle::SP_MessageBoxWarning},
    {"error", QStyle::SP_MessageBoxCritical},
    {"question", QStyle::SP_MessageBoxQuestion},
    {"folder", QStyle::SP_FileDialogNewFolder},
    {"up", QStyle::SP_ArrowUp},
    {"down", QStyle::SP_ArrowDown},
    {"chart", QStyle::SP_MediaPlay},
    {"stop", QStyle::SP_MediaStop},
    {"customers", QStyle::SP_DirHomeIcon},
    {"link", QStyle::SP_FileLinkIcon},
    {"reset", QStyle::SP_DialogResetButton},
};

} // namespace

void installToolbarPictures()
{
    QHash<QString, QIcon> set;
    QStyle *style = QApplication::style();
    for (const Picture &p : Pictures)
        set.insert(QLatin1String(p.name), QIcon(style->standardIcon(p.standard).pixmap(16, 16)));
    Kit::setPictureSource([set](const QString &name) { return set.value(name); });
}
