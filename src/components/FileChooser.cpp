#include "components/FileChooser.h"

#include <QFileDialog>

namespace {

class DialogChooser final : public FileChooser
{
public:
    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                         const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    }
    QString openFileName(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    }
};

std::unique_ptr<FileChooser> &current()
{
    static std::unique_ptr<FileChooser> c = std::make_unique<DialogChooser>();
    return c;
}

} // namespace

QString FileChooser::openFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}

FileChooser &FileChooser::instance()
{
    return *current();
}

std::unique_ptr<FileChooser> FileChooser::install(std::unique_ptr<FileChooser> chooser)
{
    std::unique_ptr<FileChooser> previous = std::move(current());
    current() = chooser ? std::move(chooser) : std::make_unique<DialogChooser>();
    return previous;
}
