#pragma once

// A TCP proxy for the benchmark that makes a server on this machine look like
// one across a LAN or a VPN: every byte is passed on half the chosen latency
// after it arrived, in each direction, so a statement that waits for its
// reply waits one whole latency per round trip.
//
// It runs on a thread of its own, not on the Qt event loop: the benchmark's
// main thread sits inside libpq while it waits for a reply, and the reply
// has to come through the proxy meanwhile.
//
// It also counts the round trips: on a connection, a flight of the client's
// data that follows data from the server (or is the connection's first) is
// one. The TCP handshake itself is not delayed (the kernel answers it before
// the proxy sees the connection), so a new connection costs the round trips
// of the database's own start-up talk, not one more for TCP.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class LatencyProxy
{
public:
    // Passes every connection on to host:port; latencyMs per round trip, half
    // of it each way (0: passed on at once, still counted).
    LatencyProxy(std::string host, int port, double latencyMs);
    ~LatencyProxy();
    LatencyProxy(const LatencyProxy &) = delete;
    LatencyProxy &operator=(const LatencyProxy &) = delete;

    // Listens on 127.0.0.1 on a free port and starts the thread; false (with
    // the reason) when it cannot listen.
    bool start(std::string *error);
    // Closes every connection and the listener, and joins the thread.
    void stop();

    int port() const { return m_listenPort; }
    double latencyMs() const { return m_latencyMs; }
    // Since start, over all connections.
    std::int64_t roundTrips() const { return m_roundTrips.load(std::memory_order_relaxed); }
    std::int64_t connections() const { return m_connections.load(std::memory_order_relaxed); }

private:
    void run();

    std::string m_host;
    int m_port;
    double m_latencyMs;
    int m_listener = -1;
    int m_listenPort = 0;
    int m_wake[2] = {-1, -1}; // written to by stop(), so that the thread's poll returns
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<std::int64_t> m_roundTrips{0};
    std::atomic<std::int64_t> m_connections{0};
};
