#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QToolButton;

// "About": the program's version and how to reach its maker.
class TFrmHakkinda : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmHakkinda(QWidget *parent = nullptr);

    static const QString WebAddress;
    static const QString SupportAddress;
    static const QString Telephones;
    // The address the support links open: a new message with the subject set.
    static QUrl supportMailUrl();

    // How links are opened (the desktop's default program); tests replace it.
    static std::function<bool(const QUrl &)> openUrl;

    QLabel *VersionLabel;
    QLabel *WebLabel;
    QLabel *MailLabel;
    QLabel *PhoneLabel;
    QToolButton *CloseButton;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
