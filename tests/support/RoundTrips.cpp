#include "support/RoundTrips.h"

#include "db/Database.h"
#include "db/PgLink.h"

#include <libpq-fe.h>

RoundTrips::RoundTrips(const QString &connectionName)
{
    PGconn *c = PgLink::handleOf(Database::connection(connectionName));
    if (!c)
        return;
    m_file = std::tmpfile();
    m_conn = c;
    PQtrace(c, m_file);
    PQsetTraceFlags(c, PQTRACE_SUPPRESS_TIMESTAMPS);
}

RoundTrips::~RoundTrips()
{
    if (m_conn)
        PQuntrace(static_cast<PGconn *>(m_conn));
    if (m_file)
        std::fclose(m_file);
}

int RoundTrips::take()
{
    if (!m_file)
        return 0;
    std::fflush(m_file);
    std::fseek(m_file, m_read, SEEK_SET);
    int trips = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, m_file)) {
        // "F\t4\tSync", "F\t25\tQuery\t \"COMMIT\"": sent by the client.
        const QByteArray l(line);
        const QList<QByteArray> fields = l.split('\t');
        if (fields.size() >= 3 && fields[0] == "F") {
            const QByteArray type = fields[2].trimmed();
            trips += type == "Sync" || type == "Query";
        }
    }
    m_read = std::ftell(m_file);
    return trips;
}
