#include "data/Session.h"

namespace {
QString g_user;
QString g_password;
} // namespace

namespace Session {

void setLogin(const QString &user, const QString &password)
{
    g_user = user;
    g_password = password;
}

QString currentUser()
{
    return g_user;
}

QString currentPassword()
{
    return g_password;
}

} // namespace Session
