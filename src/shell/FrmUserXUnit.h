#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QLabel;

// Set by the first successful login and never reset.
extern bool LoggedIn;

// The login: nobody works with the program before a user name and password
// found in Users are given. Closing it without success ends the program.
class TFrmUserX : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmUserX(QWidget *parent = nullptr);

    QLineEdit *Edit1; // user name
    QLineEdit *Edit2; // password
    QPushButton *BitBtn1; // "Ok"
    QPushButton *BitBtn2; // "Close"

    void BitBtn1Click();
    void BitBtn2Click();

    // Whether the fades run (per-window transparency is available).
    static bool fadesSupported();

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void FormShow();
    void fadeIn();
    void fadeOut();
    bool m_fadedIn = false;
};

// Shows the login (made when missing) and waits until it closes.
void OpenLogin(QWidget *parent);
