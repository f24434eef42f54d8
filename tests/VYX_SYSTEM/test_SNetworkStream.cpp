#include "LoopbackListener.h"
#include "SError.h"
#include "SNetworkStreamTcp.h"
#include "SSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace {

// A server stream and a client stream connected to it over loopback.
struct ConnectedPair {
    ConnectedPair() {
        server.createServer(nullptr, 0, "127.0.0.1");
        port = server.getListeningPort();
        client.createClient(nullptr, port, "127.0.0.1");
        server.accept();
    }
    SNetworkStreamTcp server;
    SNetworkStreamTcp client;
    int port = -1;
};

// Receives until want bytes have come (a text may arrive in more than one piece).
std::string receiveAll(SNetworkStream& stream, size_t want) {
    std::string got;
    for (int i = 0; i < 100 && got.size() < want; ++i) {
        SString piece = stream.receive();
        got.append(piece.getChars(), size_t(piece.getLength()));
    }
    return got;
}

template <typename Condition>
bool eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

TEST(SNetworkStreamTcpTest, ClientAndServerConnectAndExchangeText) {
    ConnectedPair pair;
    ASSERT_GT(pair.port, 0);
    EXPECT_EQ(pair.server.getStatusText(), "Client akzeptiert.");
    EXPECT_EQ(pair.client.getStatusText(), "Client verbunden.");
    ASSERT_TRUE(pair.client.isConnected());

    EXPECT_TRUE(pair.client.send(SString("hallo")));
    EXPECT_EQ(receiveAll(pair.server, 5), "hallo");

    // Longer than one chunk, and an exact multiple of it: receive must not wait for more.
    for (size_t size : {2500u, 2000u}) {
        std::string text;
        for (size_t i = 0; i < size; ++i)
            text.push_back(char('a' + i % 26));
        ASSERT_TRUE(pair.server.send(text.data(), int(text.size())));
        EXPECT_EQ(receiveAll(pair.client, size), text) << size;
    }

    // Bytes go through unchanged, even those that look like a localisable literal.
    std::string raw(
        "\xB3\xB3"
        "Ende\xB3\xB3"
        "x\0y",
        11);
    ASSERT_TRUE(pair.client.send(raw.data(), int(raw.size())));
    EXPECT_EQ(receiveAll(pair.server, raw.size()), raw);
}

TEST(SNetworkStreamTcpTest, IsConnectedToTheExactHostTextAndPort) {
    ConnectedPair pair;
    EXPECT_TRUE(pair.client.isConnectedTo("127.0.0.1", pair.port));
    EXPECT_TRUE(pair.client.isConnectedTo("127.0.0.1"));
    EXPECT_FALSE(pair.client.isConnectedTo("localhost", pair.port));
    EXPECT_FALSE(pair.client.isConnectedTo("127.0.0.1", pair.port + 1));

    pair.client.close();
    EXPECT_FALSE(pair.client.isConnectedTo("127.0.0.1"));
    EXPECT_EQ(pair.client.getStatusText(), "Verbindung beendet.");
    EXPECT_EQ(pair.client.receive(), "");
    EXPECT_FALSE(pair.client.send(SString("zu")));
    EXPECT_EQ(pair.client.getErrorText(), "Daten konnten nicht gesendet werden.");
    EXPECT_EQ(pair.client.getStatusText(), "Fehler...");
}

TEST(SNetworkStreamTcpTest, SendingToAPeerThatHasGoneFailsWithoutEndingTheProgram) {
    ConnectedPair pair;
    pair.server.close();
    bool failed = false;
    for (int i = 0; i < 100 && !failed; ++i)
        failed = !pair.client.send(SString("noch da?"));
    EXPECT_TRUE(failed);
    EXPECT_EQ(pair.client.getErrorText(), "Daten konnten nicht gesendet werden.");
}

TEST(SNetworkStreamTcpTest, CreateIsRefusedWhileConnectedOrServing) {
    ConnectedPair pair;
    SNetworkStreamTcp listening;
    ASSERT_TRUE(listening.createServer(nullptr, 0, "127.0.0.1"));
    EXPECT_EQ(listening.getStatusText(), "Server gestartet.");
    struct Case {
        SNetworkStream& stream;
        bool asClient;
        const char* error;
    } cases[] = {
        {pair.client, true, "SNetworkStream::createClient(..) : Fehler, Stream ist bereits verbunden."},
        {pair.client, false, "SNetworkStream::createServer(..) : Fehler, Stream ist bereits verbunden."},
        {listening, true,
         "SNetworkStream::createClient(..) : Fehler, Stream ist bereits als Server gestartet."},
        {listening, false,
         "SNetworkStream::createServer(..) : Fehler, Stream ist bereits als Server gestartet."},
    };
    for (Case& c : cases) {
        bool made = c.asClient ? c.stream.createClient(nullptr, pair.port, "127.0.0.1")
                               : c.stream.createServer(nullptr, 0, "127.0.0.1");
        EXPECT_FALSE(made) << c.error;
        EXPECT_EQ(c.stream.getErrorText(), c.error);
        EXPECT_EQ(c.stream.getStatusText(), "Fehler...");
    }
    // The refusals leave the existing connection alone.
    EXPECT_TRUE(pair.client.send(SString("ok")));
    EXPECT_EQ(receiveAll(pair.server, 2), "ok");
}

TEST(SNetworkStreamTcpTest, FailedCreateTellsWhichStepFailed) {
    LoopbackListener occupied;
    int freePort = LoopbackListener::freePort();
    struct Case {
        bool asClient;
        int port;
        const char* host;
        std::string error;
    } cases[] = {
        {true, freePort, "127.0.0.1",
         std::string("Fehler beim Erzeugen eines TCP-Clients\r\nFehler beim Verbinden.\r\n") +
             SSystem::getErrorText(ECONNREFUSED).getChars()},
        {true, freePort, "no-such-host.invalid",
         "Fehler beim Erzeugen eines TCP-Clients\r\nKann Server-Name/Adresse 'no-such-host.invalid' nicht "
         "aufl\xF6sen.\r\n"},
        {false, occupied.port(), "127.0.0.1",
         std::string("Fehler beim Erzeugen eines TCP-Servers\r\nbind(..) schlug fehl.\r\n") +
             SSystem::getErrorText(EADDRINUSE).getChars()},
    };
    for (const Case& c : cases) {
        SNetworkStreamTcp stream;
        bool made = c.asClient ? stream.createClient(nullptr, c.port, c.host)
                               : stream.createServer(nullptr, c.port, c.host);
        EXPECT_FALSE(made) << c.error;
        EXPECT_EQ(std::string(stream.getErrorText()), c.error);
        EXPECT_EQ(stream.getStatusText(), "Fehler...");
        EXPECT_FALSE(stream.isConnected());
        // A failed start leaves nothing behind: the stream can be used again.
        EXPECT_TRUE(stream.createServer(nullptr, 0, "127.0.0.1"));
    }
}

namespace {
// A server that accepts, reads and notes the end of the connection from its handlers.
class EchoServer : public SNetworkStreamTcp {
public:
    ~EchoServer() override { close(); }
    void onConnectionRequest() override { accept(); }
    void onDataArrived() override {
        SString piece = receive();
        std::lock_guard<std::mutex> lock(mutex);
        received.append(piece.getChars(), size_t(piece.getLength()));
    }
    void onConnectionClosed() override { closed = true; }
    std::string text() {
        std::lock_guard<std::mutex> lock(mutex);
        return received;
    }
    std::atomic<bool> closed{false};

private:
    std::mutex mutex;
    std::string received;
};
}  // namespace

TEST(SNetworkStreamTcpTest, WorkerCallsTheHandlersOfTheEventsThatOccur) {
    EchoServer server;
    ASSERT_TRUE(server.createServer(nullptr, 0, "127.0.0.1"));
    ASSERT_TRUE(server.start());
    {
        SNetworkStreamTcp client;
        ASSERT_TRUE(client.createClient(nullptr, server.getListeningPort(), "127.0.0.1"));
        ASSERT_TRUE(client.send(SString("eins ")));
        EXPECT_TRUE(eventually([&] { return server.text() == "eins "; }));
        ASSERT_TRUE(client.send(SString("zwei")));
        EXPECT_TRUE(eventually([&] { return server.text() == "eins zwei"; }));
    }
    EXPECT_TRUE(eventually([&] { return server.closed.load(); }));
    EXPECT_TRUE(server.isRunning());
    server.close();
    EXPECT_FALSE(server.isRunning());
}
