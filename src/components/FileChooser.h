#pragma once

#include <QString>
#include <memory>

class QWidget;

// Where the program asks the user for a file name. The program shows the
// real file dialog; tests install a chooser that answers from a script, so
// that no dialog ever waits for a click.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The file to write to; empty when the user gave up. `filter` is a file
    // dialog filter ("CSV files (*.csv)").
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                                 const QString &filter) = 0;
    // An existing file to read; empty when the user gave up. A chooser that
    // only ever saves gives up.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &folder,
                                 const QString &filter);

    // The chooser in force; the real one unless a test replaced it.
    static FileChooser &instance();
    // Installs a chooser (nullptr restores the real one); returns the previous.
    static std::unique_ptr<FileChooser> install(std::unique_ptr<FileChooser> chooser);
};
