#include "tests/support/DelayProxy.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <stdexcept>

namespace sp::test {

namespace {

using Clock = std::chrono::steady_clock;

int ConnectTo(const QString& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), QByteArray::number(port).constData(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

void NoDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

// One client connection and its connection to the server. Each direction has a reader that
// stamps every chunk with the time it is due and a writer that sends the chunks in order
// when they are due.
struct DelayProxy::Link {
    struct Chunk {
        Clock::time_point due;
        QByteArray bytes;
    };
    struct Direction {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<Chunk> chunks;
        bool ended = false;
    };
    int client = -1;
    int server = -1;
    Direction up;                     // client to server
    Direction down;                   // server to client
    std::atomic<int> lastSpeaker{0};  // 0 nobody yet, 1 the client, 2 the server
    std::vector<std::thread> threads;

    ~Link() {
        for (int fd : {client, server})
            if (fd >= 0)
                ::shutdown(fd, SHUT_RDWR);
        for (std::thread& t : threads)
            if (t.joinable())
                t.join();
        for (int fd : {client, server})
            if (fd >= 0)
                ::close(fd);
    }
};

DelayProxy::DelayProxy(const QString& host, int port, int roundTripMs)
    : host_(host), targetPort_(port), roundTripMs_(roundTripMs) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the delay proxy cannot listen");
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

DelayProxy::~DelayProxy() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    std::lock_guard lock(mutex_);
    links_.clear();
}

void DelayProxy::Accept() {
    while (!stopping_) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (stopping_)
                return;
            continue;
        }
        const int server = ConnectTo(host_, targetPort_);
        if (server < 0) {
            ::close(client);
            continue;
        }
        NoDelay(client);
        NoDelay(server);
        auto link = std::make_shared<Link>();
        link->client = client;
        link->server = server;
        // The link lives in links_ until the proxy goes; its threads end before it does.
        Link* raw = link.get();
        for (const bool fromClient : {true, false})
            link->threads.emplace_back([this, raw, fromClient] { Relay(*raw, fromClient); });
        std::lock_guard lock(mutex_);
        links_.push_back(std::move(link));
    }
}

// Reads one direction and hands the chunks, stamped, to a writer of its own; returns when
// the side it reads closes and everything read has been written on.
void DelayProxy::Relay(Link& link, bool fromClient) {
    Link::Direction& way = fromClient ? link.up : link.down;
    const int from = fromClient ? link.client : link.server;
    const int to = fromClient ? link.server : link.client;
    const auto oneWay = std::chrono::microseconds(roundTripMs_ * 500);
    std::thread writer([&] {
        for (;;) {
            Link::Chunk chunk;
            {
                std::unique_lock lock(way.mutex);
                way.ready.wait(lock, [&] { return way.ended || !way.chunks.empty(); });
                if (way.chunks.empty())
                    break;
                chunk = std::move(way.chunks.front());
                way.chunks.pop_front();
            }
            std::this_thread::sleep_until(chunk.due);
            for (qsizetype sent = 0; sent < chunk.bytes.size();) {
                const ssize_t n = ::send(to, chunk.bytes.constData() + sent,
                                         static_cast<size_t>(chunk.bytes.size() - sent), MSG_NOSIGNAL);
                if (n <= 0)
                    return;
                sent += n;
            }
        }
        ::shutdown(to, SHUT_WR);
    });
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        const int speaker = fromClient ? 1 : 2;
        if (link.lastSpeaker.exchange(speaker) != speaker && fromClient)
            ++roundTrips_;
        std::lock_guard lock(way.mutex);
        way.chunks.push_back({Clock::now() + oneWay, QByteArray(buffer, static_cast<qsizetype>(n))});
        way.ready.notify_one();
    }
    {
        std::lock_guard lock(way.mutex);
        way.ended = true;
        way.ready.notify_one();
    }
    writer.join();
}

}  // namespace sp::test
