#include "ZyntraSim.h"

#include "SimDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

const std::string kFramePrefix = "\xE6\xB5\xBA\xB9\xB2\xB3\xA9";
constexpr size_t kMaxLine = 2048;
constexpr size_t kMaxFrame = 256;
constexpr size_t kMaxReceivedLog = 10000;

struct Chunk {
    Clock::time_point due;
    std::string bytes;
    bool hangUp = false;  // close the pseudo-terminal once due
};

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string printable(const std::string& s) {
    std::string out;
    char buf[8];
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

}  // namespace

struct ZyntraSim::Impl {
    explicit Impl(const ZyntraSimOptions& o) : options(o), device(o) {}

    mutable std::mutex mutex;  // guards everything below except the descriptors
    ZyntraSimOptions options;
    zsim::Device device;
    int answersInScope = 0;
    std::vector<ZyntraSimReceived> received;
    std::string path;
    std::string error;
    int clientOpens = 0;
    std::minstd_rand random{20240611};

    // Owned by the serving thread while it runs.
    int master = -1;
    int slave = -1;  // our own descriptor: without it the master would report a hang-up
    int notify = -1;
    int wake = -1;
    std::atomic<bool> stopRequested{false};
    std::string line;
    bool lineOverflow = false;
    std::string tail;
    bool inFrame = false;
    std::string frame;
    Clock::time_point lastByte;
    std::deque<Chunk> out;
    // Line pacing (options.baud > 0): received bytes wait in inbox until their line time is over;
    // the line is busy in each direction until the time noted here.
    struct Arrival {
        Clock::time_point due;
        char byte;
    };
    std::deque<Arrival> inbox;
    Clock::time_point inLineFree;
    Clock::time_point outLineFree;

    Clock::duration byteTime() const { return std::chrono::nanoseconds(10LL * 1000000000LL / options.baud); }
    void takeIn(const char* data, size_t n, Clock::time_point now);
    void takeArrived(Clock::time_point now);
    // When the next byte of the answer queue may go out.
    Clock::time_point nextWrite() const;

    void serve(std::atomic<bool>& hungUp);
    void onBytes(const char* data, size_t n);
    void endFrame();
    void deliver(const std::string& answer, bool framed);
    void clientClosed();
    bool writeDue(Clock::time_point now);
    void trace(const char* what, const std::string& text);
    std::string garbageLine(size_t length);
};

void ZyntraSim::Impl::trace(const char* what, const std::string& text) {
    if (options.trace) std::fprintf(stderr, "zyntra-sim %s %s\n", what, printable(text).c_str());
}

std::string ZyntraSim::Impl::garbageLine(size_t length) {
    std::string g;
    while (g.size() < length) {
        const char c = static_cast<char>(random() & 0xFF);
        if (c != '\n') g += c;
    }
    return g + "\n";
}

// Called with the mutex held. Applies the misbehaviour and queues the answer.
void ZyntraSim::Impl::deliver(const std::string& answer, bool framed) {
    if (answer.empty()) return;
    trace(framed ? "answer frame:" : "answer line:", answer);
    const auto now = Clock::now();
    ZyntraSimMisbehaviour mis = options.misbehaviour;
    const bool inScope = options.misbehaviourScope == ZyntraSimScope::All ||
                         (options.misbehaviourScope == ZyntraSimScope::Frames) == framed;
    if (mis == ZyntraSimMisbehaviour::OldFirmware || mis == ZyntraSimMisbehaviour::ForeignDevice || !inScope)
        mis = ZyntraSimMisbehaviour::None;
    if (mis != ZyntraSimMisbehaviour::None && answersInScope++ < options.misbehaveAfter)
        mis = ZyntraSimMisbehaviour::None;

    switch (mis) {
        case ZyntraSimMisbehaviour::NoAnswer:
            break;
        case ZyntraSimMisbehaviour::LateAnswer:
            out.push_back({now + std::chrono::milliseconds(options.lateAnswerMs), answer});
            break;
        case ZyntraSimMisbehaviour::Garbage:
            out.push_back({now, garbageLine(std::max<size_t>(8, answer.size()))});
            break;
        case ZyntraSimMisbehaviour::Flood: {
            std::string flood;
            for (int i = 0; i < options.floodBytes; ++i)
                flood += static_cast<char>('A' + i % 26);
            out.push_back({now, flood + answer});
            break;
        }
        case ZyntraSimMisbehaviour::NulBytes: {
            // NUL in front, in the middle and before the line feed.
            const std::string body = answer.substr(0, answer.size() - 1);
            const std::string nul(1, '\0');
            out.push_back({now, nul + body.substr(0, body.size() / 2) + nul + body.substr(body.size() / 2) +
                                    nul + "\n"});
            break;
        }
        case ZyntraSimMisbehaviour::Refusal:
            // A firmware that does not take the command (it has been carried out all the same).
            out.push_back({now, framed ? std::string("? \n") : std::string("?\r{04} RANGE ERROR\n")});
            break;
        case ZyntraSimMisbehaviour::HangUp:
            // Half the answer, then the device vanishes shortly after (time for the bytes to pass).
            out.push_back({now, answer.substr(0, answer.size() / 2)});
            out.push_back({now + std::chrono::milliseconds(20), "", true});
            break;
        default:
            out.push_back({now, answer});
            break;
    }
}

void ZyntraSim::Impl::endFrame() {
    inFrame = false;
    tail.clear();
    trace("frame:", frame);
    if (received.size() < kMaxReceivedLog) received.push_back({true, frame});
    deliver(device.frame(frame), true);
    frame.clear();
}

// Called with the mutex held, for every chunk read from the master.
void ZyntraSim::Impl::onBytes(const char* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const char c = data[i];
        if (inFrame) {
            if (frame.size() < kMaxFrame + kFramePrefix.size()) frame += c;
            if (frame.size() >= kFramePrefix.size() &&
                frame.compare(frame.size() - kFramePrefix.size(), kFramePrefix.size(), kFramePrefix) == 0) {
                // A new frame right behind the last one ends it without a pause.
                frame.resize(frame.size() - kFramePrefix.size());
                endFrame();
                inFrame = true;
            }
            continue;
        }
        tail += c;
        if (tail.size() > kFramePrefix.size()) tail.erase(0, 1);
        if (tail == kFramePrefix) {
            // A frame in the middle of a Dexmode line drops the unfinished line.
            inFrame = true;
            frame.clear();
            line.clear();
            lineOverflow = false;
            continue;
        }
        if (!device.inDexmode()) continue;
        if (c == '\n') {
            trace("line:", line);
            if (received.size() < kMaxReceivedLog) received.push_back({false, line});
            deliver(device.line(line, lineOverflow), false);
            line.clear();
            lineOverflow = false;
        } else if (line.size() < kMaxLine) {
            line += c;
        } else {
            lineOverflow = true;
        }
    }
}

// Called with the mutex held when the last other opener of the slave has closed it.
void ZyntraSim::Impl::clientClosed() {
    // A pty slave keeps TIOCEXCL after its last close while the master lives, unlike a real
    // serial device; the program opens the port exclusively, so clear it for the next open.
    ::ioctl(slave, TIOCNXCL);
    // What the device sent while nobody listened is lost, as with a real serial port.
    ::tcflush(slave, TCIOFLUSH);
    out.clear();
    inbox.clear();
    line.clear();
    lineOverflow = false;
    inFrame = false;
    frame.clear();
    tail.clear();
}

// Called with the mutex held for bytes read from the master.
void ZyntraSim::Impl::takeIn(const char* data, size_t n, Clock::time_point now) {
    if (options.baud <= 0) {
        lastByte = now;
        onBytes(data, n);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        inLineFree = std::max(inLineFree, now) + byteTime();
        inbox.push_back({inLineFree, data[i]});
    }
    takeArrived(now);
}

// Called with the mutex held: hands the bytes whose line time is over to the device.
void ZyntraSim::Impl::takeArrived(Clock::time_point now) {
    while (!inbox.empty() && inbox.front().due <= now) {
        lastByte = inbox.front().due;
        const char c = inbox.front().byte;
        inbox.pop_front();
        onBytes(&c, 1);
    }
}

Clock::time_point ZyntraSim::Impl::nextWrite() const {
    const Clock::time_point due = out.front().due;
    if (options.baud <= 0 || out.front().hangUp) return due;
    return std::max(due, outLineFree) + byteTime();
}

// Writes what is due; returns false when the queue asked to hang up.
bool ZyntraSim::Impl::writeDue(Clock::time_point now) {
    while (!out.empty() && out.front().due <= now) {
        Chunk& c = out.front();
        if (c.hangUp) return false;
        size_t count = c.bytes.size();
        if (options.baud > 0) {
            // Only the bytes that have crossed the line by now; the line was idle or busy
            // with the previous answer until outLineFree.
            if (outLineFree < c.due) outLineFree = c.due;
            const auto sent = (now - outLineFree) / byteTime();
            count = std::min(count, static_cast<size_t>(std::max<long long>(0, sent)));
            if (count == 0) break;
        }
        const ssize_t n = ::write(master, c.bytes.data(), count);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;  // EAGAIN: the slave's input queue is full; wait for POLLOUT
        }
        if (options.baud > 0) outLineFree += byteTime() * n;
        c.bytes.erase(0, static_cast<size_t>(n));
        if (!c.bytes.empty()) break;
        out.pop_front();
    }
    return true;
}

void ZyntraSim::Impl::serve(std::atomic<bool>& hungUp) {
    char buf[4096];
    for (;;) {
        int timeoutMs = -1;
        bool wantOut = false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            const auto now = Clock::now();
            auto consider = [&](Clock::time_point due) {
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count() + 1;
                const int t = static_cast<int>(std::max<long long>(0, std::min<long long>(ms, 60000)));
                timeoutMs = timeoutMs < 0 ? t : std::min(timeoutMs, t);
            };
            if (!inbox.empty()) consider(inbox.front().due);
            if (inFrame && inbox.empty()) consider(lastByte + std::chrono::milliseconds(options.frameIdleMs));
            if (!out.empty()) {
                const Clock::time_point next = nextWrite();
                if (next <= now)
                    wantOut = true;
                else
                    consider(next);
            }
        }
        pollfd fds[3] = {{master, static_cast<short>(POLLIN | (wantOut ? POLLOUT : 0)), 0},
                         {notify, POLLIN, 0},
                         {wake, POLLIN, 0}};
        const int r = ::poll(fds, 3, timeoutMs);
        if (r < 0 && errno != EINTR) break;
        if (stopRequested) break;
        if (fds[2].revents & POLLIN) {
            uint64_t v;
            (void)!::read(wake, &v, sizeof v);
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (fds[1].revents & POLLIN) {
            char ev[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
            const ssize_t n = ::read(notify, ev, sizeof ev);
            for (ssize_t off = 0; off < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(ev + off);
                if (e->mask & IN_OPEN) ++clientOpens;
                if (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                    if (clientOpens > 0 && --clientOpens == 0) clientClosed();
                }
                off += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0) takeIn(buf, static_cast<size_t>(n), Clock::now());
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Cannot happen while our own slave descriptor is open; never spin if it does.
            ::usleep(20000);
        }
        const auto now = Clock::now();
        takeArrived(now);
        if (inFrame && inbox.empty() && now - lastByte >= std::chrono::milliseconds(options.frameIdleMs))
            endFrame();
        if (!writeDue(now)) {
            trace("hang-up", "");
            closeFd(master);
            closeFd(slave);
            hungUp = true;
            break;
        }
    }
}

// ---------------------------------------------------------------- public side

ZyntraSim::ZyntraSim(const ZyntraSimOptions& options) : impl_(new Impl(options)) {}

ZyntraSim::~ZyntraSim() {
    stop();
}

bool ZyntraSim::start() {
    stop();
    Impl& d = *impl_;
    auto fail = [&](const char* what) {
        std::lock_guard<std::mutex> lock(d.mutex);
        d.error = std::string(what) + ": " + std::strerror(errno);
        closeFd(d.master);
        closeFd(d.slave);
        closeFd(d.notify);
        closeFd(d.wake);
        return false;
    };
    d.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d.master < 0) return fail("posix_openpt");
    char name[128];
    if (::grantpt(d.master) != 0 || ::unlockpt(d.master) != 0 ||
        ::ptsname_r(d.master, name, sizeof name) != 0)
        return fail("ptsname");
    d.slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d.slave < 0) return fail("open slave");
    termios tio{};
    if (::tcgetattr(d.slave, &tio) != 0) return fail("tcgetattr");
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    if (::tcsetattr(d.slave, TCSANOW, &tio) != 0) return fail("tcsetattr");
    if (::fcntl(d.master, F_SETFL, ::fcntl(d.master, F_GETFL) | O_NONBLOCK) != 0) return fail("fcntl");
    // Opens and closes of the slave by the program show up as inotify events on its node.
    d.notify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (d.notify < 0 || ::inotify_add_watch(d.notify, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
        return fail("inotify");
    d.wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (d.wake < 0) return fail("eventfd");
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        d.path = name;
        d.error.clear();
        d.clientOpens = 0;
        d.out.clear();
        d.line.clear();
        d.inFrame = false;
        d.tail.clear();
    }
    d.stopRequested = false;
    hungUp_ = false;
    running_ = true;
    thread_ = std::thread([this] {
        impl_->serve(hungUp_);
        running_ = false;
    });
    return true;
}

void ZyntraSim::stop() {
    Impl& d = *impl_;
    if (thread_.joinable()) {
        d.stopRequested = true;
        const uint64_t one = 1;
        (void)!::write(d.wake, &one, sizeof one);
        thread_.join();
    }
    running_ = false;
    closeFd(d.master);
    closeFd(d.slave);
    closeFd(d.notify);
    closeFd(d.wake);
}

std::string ZyntraSim::slavePath() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->path;
}

std::string ZyntraSim::lastError() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->error;
}

ZyntraSimOptions ZyntraSim::options() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->options;
}

void ZyntraSim::setOptions(const ZyntraSimOptions& options) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (options.misbehaviour != impl_->options.misbehaviour) impl_->answersInScope = 0;
    impl_->options = options;
    impl_->device.configure(options);
}

void ZyntraSim::setMisbehaviour(ZyntraSimMisbehaviour misbehaviour) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->options.misbehaviour = misbehaviour;
    impl_->answersInScope = 0;
    impl_->device.configure(impl_->options);
}

void ZyntraSim::setTemperature(double celsius) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->options.temperature = celsius;
    impl_->device.setTemperature(celsius);
}

ZyntraSimState ZyntraSim::state() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    ZyntraSimState s;
    impl_->device.fillState(s);
    s.clientOpens = impl_->clientOpens;
    s.hungUp = hungUp_;
    return s;
}

std::vector<ZyntraSimReceived> ZyntraSim::takeReceived() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    std::vector<ZyntraSimReceived> r;
    r.swap(impl_->received);
    return r;
}

namespace {
std::vector<std::string> textsOf(const std::vector<ZyntraSimReceived>& received, bool framed) {
    std::vector<std::string> texts;
    for (const ZyntraSimReceived& r : received)
        if (r.framed == framed) texts.push_back(r.text);
    return texts;
}
}  // namespace

std::vector<std::string> ZyntraSim::takeLines() {
    return textsOf(takeReceived(), false);
}

std::vector<std::string> ZyntraSim::takeFrames() {
    return textsOf(takeReceived(), true);
}

namespace {
const struct {
    ZyntraSimMisbehaviour value;
    const char* name;
} kMisbehaviourNames[] = {
    {ZyntraSimMisbehaviour::None, "none"},
    {ZyntraSimMisbehaviour::NoAnswer, "silent"},
    {ZyntraSimMisbehaviour::LateAnswer, "late"},
    {ZyntraSimMisbehaviour::Garbage, "garbage"},
    {ZyntraSimMisbehaviour::Flood, "flood"},
    {ZyntraSimMisbehaviour::NulBytes, "nul"},
    {ZyntraSimMisbehaviour::HangUp, "hangup"},
    {ZyntraSimMisbehaviour::OldFirmware, "oldfw"},
    {ZyntraSimMisbehaviour::ForeignDevice, "foreign"},
    {ZyntraSimMisbehaviour::Refusal, "refuse"},
};
}  // namespace

bool ZyntraSim::misbehaviourFromName(const std::string& name, ZyntraSimMisbehaviour& out) {
    for (const auto& m : kMisbehaviourNames)
        if (name == m.name) {
            out = m.value;
            return true;
        }
    return false;
}

const char* ZyntraSim::misbehaviourName(ZyntraSimMisbehaviour misbehaviour) {
    for (const auto& m : kMisbehaviourNames)
        if (m.value == misbehaviour) return m.name;
    return "none";
}
