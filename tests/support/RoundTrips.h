#pragma once

#include <QString>
#include <cstdio>

// The round trips the program's shared connection makes to a PostgreSQL
// server while this lives, from libpq's own trace of what the client sends:
// every Sync (the end of a pipeline or of one statement with parameters) and
// every plain Query waits for the server once. On SQLite there is no server;
// count() is then 0.
class RoundTrips
{
public:
    explicit RoundTrips(const QString &connectionName = QStringLiteral("CDCon"));
    ~RoundTrips();
    RoundTrips(const RoundTrips &) = delete;
    RoundTrips &operator=(const RoundTrips &) = delete;
    // The round trips so far; the count starts again from 0.
    int take();

private:
    void *m_conn = nullptr;
    FILE *m_file = nullptr;
    long m_read = 0;
};
