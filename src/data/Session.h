#pragma once

#include <QString>

// Who is logged in at this counter: the name and the password typed at the
// login, both trimmed. The login writes them; the cash-box password check
// and the ledger's audit read them without reaching into the frame.
namespace Session {

void setLogin(const QString &user, const QString &password);
QString currentUser();
QString currentPassword();

} // namespace Session
