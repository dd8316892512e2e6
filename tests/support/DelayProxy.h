#pragma once

// A TCP relay between the workbench and its database server that stands for the network
// between a workstation and a distant server: every chunk read on one side is written to
// the other half the round-trip time later, in the order it was read (pipelined: a chunk
// does not wait for the one before it to arrive). It counts round trips as a client and
// server see them: a message from the client that follows a message of the server (or is
// the connection's first) starts one.

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace sp::test {

class DelayProxy {
  public:
    // Listens on 127.0.0.1 (a free port) and relays every connection to host:port.
    DelayProxy(const QString& host, int port, int roundTripMs);
    ~DelayProxy();
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    int Port() const { return port_; }
    int RoundTripMs() const { return roundTripMs_; }
    // Round trips over every connection since the start or the last reset.
    long long RoundTrips() const { return roundTrips_.load(); }
    void ResetRoundTrips() { roundTrips_ = 0; }

  private:
    struct Link;
    void Accept();
    void Relay(Link& link, bool fromClient);

    QString host_;
    int targetPort_ = 0;
    int roundTripMs_ = 0;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<long long> roundTrips_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<Link>> links_;
};

}  // namespace sp::test
