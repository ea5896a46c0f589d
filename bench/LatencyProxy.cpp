#include "LatencyProxy.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Bytes held for one direction before the proxy stops reading from its
// sender: a long list read at 20 ms would otherwise sit here whole.
constexpr size_t MaxQueued = size_t(8) << 20;

struct Chunk
{
    Clock::time_point due;
    std::string bytes;
    bool end = false; // the sender closed its side: passed on, late like its data
};

struct Direction
{
    int from = -1, to = -1;
    std::deque<Chunk> queue;
    size_t written = 0; // of the front chunk, when `to` took only a part of it
    size_t queued = 0;
    bool readDone = false;  // the sender's end has been read
    bool writeDone = false; // and passed on
    bool blocked = false;   // `to` took no more; wait until it can
};

struct Link
{
    Direction up, down; // client to server, server to client
    bool serverSpokeLast = true; // so that the client's first data counts
    bool broken = false;

    Link(int client, int server)
    {
        up.from = down.to = client;
        up.to = down.from = server;
    }
    ~Link()
    {
        ::close(up.from);
        ::close(up.to);
    }
    bool finished() const { return broken || (up.writeDone && down.writeDone); }
};

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Each piece is passed on by itself at its time: Nagle's algorithm would hold
// a small one back for the peer's acknowledgement, a delay of its own.
void setNoDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// A blocking connect: the server is near (the latency is the proxy's own),
// and the client that waits for it waits for its database anyway.
int connectTo(const std::string &host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd >= 0) {
        setNonBlocking(fd);
        setNoDelay(fd);
    }
    return fd;
}

// Passes on what is due; stops at the first piece still early, or when the
// receiver takes no more.
void flush(Link &link, Direction &d, Clock::time_point now)
{
    while (!link.broken && !d.blocked && !d.queue.empty() && d.queue.front().due <= now) {
        Chunk &c = d.queue.front();
        if (c.end) {
            ::shutdown(d.to, SHUT_WR);
            d.writeDone = true;
            d.queue.pop_front();
            continue;
        }
        const ssize_t n = ::send(d.to, c.bytes.data() + d.written, c.bytes.size() - d.written, MSG_NOSIGNAL);
        if (n > 0) {
            d.written += size_t(n);
            if (d.written == c.bytes.size()) {
                d.queued -= c.bytes.size();
                d.written = 0;
                d.queue.pop_front();
            }
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            d.blocked = true;
        } else if (!(n < 0 && errno == EINTR)) {
            link.broken = true;
        }
    }
}

} // namespace

LatencyProxy::LatencyProxy(std::string host, int port, double latencyMs)
    : m_host(std::move(host)), m_port(port), m_latencyMs(std::max(0.0, latencyMs))
{
}

LatencyProxy::~LatencyProxy()
{
    stop();
}

bool LatencyProxy::start(std::string *error)
{
    auto failed = [&](const char *what) {
        if (error)
            *error = std::string(what) + ": " + std::strerror(errno);
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    };
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0)
        return failed("socket");
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // a free one, chosen by the system
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return failed("bind");
    if (::listen(m_listener, 64) != 0)
        return failed("listen");
    if (::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return failed("getsockname");
    m_listenPort = ntohs(address.sin_port);
    setNonBlocking(m_listener);
    if (::pipe(m_wake) != 0)
        return failed("pipe");
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void LatencyProxy::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    const char byte = 0;
    while (::write(m_wake[1], &byte, 1) < 0 && errno == EINTR) {
    }
    m_thread.join();
    ::close(m_listener);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
    m_listener = m_wake[0] = m_wake[1] = -1;
}

void LatencyProxy::run()
{
    const auto half = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(m_latencyMs / 2));
    std::vector<std::unique_ptr<Link>> links;
    std::vector<pollfd> fds;
    std::vector<char> buffer(size_t(64) << 10);

    // One read of what a side has sent, kept until its time; on the client's
    // side, the first data after the server's counts a round trip.
    auto receive = [&](Link &link, Direction &d, bool fromClient) {
        const ssize_t n = ::recv(d.from, buffer.data(), buffer.size(), 0);
        const auto due = Clock::now() + half;
        if (n > 0) {
            if (fromClient && link.serverSpokeLast)
                m_roundTrips.fetch_add(1, std::memory_order_relaxed);
            link.serverSpokeLast = !fromClient;
            d.queue.push_back({due, std::string(buffer.data(), size_t(n))});
            d.queued += size_t(n);
        } else if (n == 0) {
            d.readDone = true;
            d.queue.push_back({due, std::string(), true});
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            link.broken = true;
        }
    };

    while (!m_stopping) {
        // What is due goes out first; then the wait lasts until the next piece
        // is due, or something arrives.
        const auto now = Clock::now();
        std::optional<Clock::time_point> next;
        for (auto &link : links) {
            for (Direction *d : {&link->up, &link->down}) {
                flush(*link, *d, now);
                if (!d->blocked && !d->queue.empty() && (!next || d->queue.front().due < *next))
                    next = d->queue.front().due;
            }
        }
        links.erase(std::remove_if(links.begin(), links.end(), [](const auto &l) { return l->finished(); }), links.end());

        fds.clear();
        fds.push_back({m_wake[0], POLLIN, 0});
        fds.push_back({m_listener, POLLIN, 0});
        for (auto &link : links) {
            short client = 0, server = 0;
            if (!link->up.readDone && link->up.queued < MaxQueued)
                client |= POLLIN;
            if (!link->down.readDone && link->down.queued < MaxQueued)
                server |= POLLIN;
            if (link->down.blocked)
                client |= POLLOUT;
            if (link->up.blocked)
                server |= POLLOUT;
            fds.push_back({link->up.from, client, 0});
            fds.push_back({link->up.to, server, 0});
        }
        int ready;
#ifdef __linux__
        // ppoll: a latency of half a millisecond needs a wait finer than poll's.
        timespec wait{};
        if (next) {
            const auto ns = std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(*next - now).count());
            wait.tv_sec = time_t(ns / 1000000000);
            wait.tv_nsec = long(ns % 1000000000);
        }
        ready = ::ppoll(fds.data(), fds.size(), next ? &wait : nullptr, nullptr);
#else
        int waitMs = -1;
        if (next)
            waitMs = int(std::ceil(std::max(0.0, std::chrono::duration<double, std::milli>(*next - now).count())));
        ready = ::poll(fds.data(), fds.size(), waitMs);
#endif
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[0].revents)
            break;

        for (size_t i = 0; i < links.size(); ++i) {
            Link &link = *links[i];
            const short client = fds[2 + 2 * i].revents, server = fds[3 + 2 * i].revents;
            if (client & POLLOUT)
                link.down.blocked = false;
            if (server & POLLOUT)
                link.up.blocked = false;
            // A hang-up shows as readable while the side is still read: the
            // read then finds the end or the error.
            if (client & (POLLIN | POLLHUP | POLLERR)) {
                if (!link.up.readDone)
                    receive(link, link.up, true);
                else if (client & (POLLHUP | POLLERR))
                    link.broken = true;
            }
            if (server & (POLLIN | POLLHUP | POLLERR)) {
                if (!link.down.readDone)
                    receive(link, link.down, false);
                else if (server & (POLLHUP | POLLERR))
                    link.broken = true;
            }
        }

        if (fds[1].revents & POLLIN) {
            for (;;) {
                const int client = ::accept(m_listener, nullptr, nullptr);
                if (client < 0)
                    break;
                const int server = connectTo(m_host, m_port);
                if (server < 0) {
                    // The client sees its connection closed, as if the server were not there.
                    ::close(client);
                    continue;
                }
                setNonBlocking(client);
                setNoDelay(client);
                links.push_back(std::make_unique<Link>(client, server));
                m_connections.fetch_add(1, std::memory_order_relaxed);
            }
        }
    }
    links.clear();
}
