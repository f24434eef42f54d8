// Serial device seam on POSIX termios (Linux).
//
// Implements: exclusive open (TIOCEXCL plus an advisory flock, so a second opener fails with
// EBUSY even as root, where TIOCEXCL alone does not stop it), the saved termios state, raw line
// settings with standard baud rates, DTR/RTS (TIOCMBIS), tcflush, poll-based waits of at most
// 50 ms, non-blocking reads, writes with a time limit, and enumeration of USB serial devices.
// Not implemented: non-standard baud rates (refused with EINVAL), parity checking of received
// bytes (bytes are delivered as they arrive), one and a half stop bits except with 5 data bits.
#include "SerialDevice.h"

#include "FileSystemSeam.h"
#include "RawText.h"

#include "SStringList.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

static_assert(sizeof(termios) <= sizeof(SerialSavedState::data), "termios must fit the saved state");

namespace {

thread_local int lastErrorNumber = 0;

bool fail(int errorNumber) {
    lastErrorNumber = errorNumber;
    return false;
}

int fdOf(SerialHandle handle) {
    return int(handle);
}

bool speedOf(int baudRate, speed_t& speed) {
    static const struct {
        int baud;
        speed_t speed;
    } table[] = {
        {50, B50},           {75, B75},         {110, B110},         {134, B134},         {150, B150},
        {200, B200},         {300, B300},       {600, B600},         {1200, B1200},       {1800, B1800},
        {2400, B2400},       {4800, B4800},     {9600, B9600},       {19200, B19200},     {38400, B38400},
        {57600, B57600},     {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600}, {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
        {2000000, B2000000},
    };
    for (const auto& entry : table) {
        if (entry.baud == baudRate) {
            speed = entry.speed;
            return true;
        }
    }
    return false;  // 0 would hang up the line; odd rates the driver cannot take
}

// UNIX 98 pseudo-terminal slaves have majors 136 to 143.
bool isPseudoTerminal(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

bool hungUp(int fd) {
    pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// "ttyUSB10" after "ttyUSB9": compare the trailing numbers as numbers.
bool deviceNameLess(const SString& a, const SString& b) {
    auto split = [](const SString& s, SString& stem, long& number) {
        int end = s.getLength();
        int start = end;
        while (start > 0 && s.getCharAt(start - 1) >= '0' && s.getCharAt(start - 1) <= '9')
            --start;
        stem = s.left(start);
        number = start < end ? std::strtol(s.getChars() + start, nullptr, 10) : -1;
    };
    SString stemA, stemB;
    long numberA, numberB;
    split(a, stemA, numberA);
    split(b, stemB, numberB);
    int c = stemA.compare(stemB);
    return c != 0 ? c < 0 : numberA < numberB;
}

void sortDeviceNames(SStringList& names) {
    // Insertion sort: a handful of entries.
    for (int i = 1; i < names.getCount(); ++i) {
        for (int j = i; j > 0 && deviceNameLess(names[j], names[j - 1]); --j) {
            SString t = names[j];
            names.setAt(j, names[j - 1]);
            names.setAt(j - 1, t);
        }
    }
}

void listDirectory(const SString& folder, const char* prefix, SStringList& names) {
    DIR* dir = opendir(folder);
    if (dir == nullptr) return;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        if (prefix == nullptr || std::strncmp(entry->d_name, prefix, std::strlen(prefix)) == 0)
            names.add(rawText(entry->d_name, int(std::strlen(entry->d_name))));
    }
    closedir(dir);
}

SString realPathOf(const SString& path) {
    char* real = realpath(path, nullptr);
    if (real == nullptr) return path;
    SString result = rawText(real, int(std::strlen(real)));
    std::free(real);
    return result;
}

}  // namespace

SString serialErrorText() {
    return fsErrorText(lastErrorNumber);
}

bool serialErrorIsAccessDenied() {
    return lastErrorNumber == EACCES || lastErrorNumber == EPERM;
}

SerialHandle serialOpen(const char* devicePath) {
    int fd = ::open(devicePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno), 0;
    if (fd == 0) {
        // Handle 0 means "no device" above the seam.
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        int e = errno;
        ::close(fd);
        if (moved < 0) return fail(e), 0;
        fd = moved;
    }
    // The lock is what keeps two programs apart; TIOCEXCL only stops openers without root rights.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int e = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return fail(e), 0;
    }
    if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        int e = errno;
        ::close(fd);
        return fail(e), 0;
    }
    return SerialHandle(fd);
}

void serialClose(SerialHandle handle) {
    int fd = fdOf(handle);
    if (fd <= 0) return;
    // The exclusive flag outlives this descriptor while someone else keeps the tty open.
    ioctl(fd, TIOCNXCL);
    ::close(fd);  // also releases the flock
}

bool serialSaveState(SerialHandle handle, SerialSavedState& state) {
    termios t;
    if (tcgetattr(fdOf(handle), &t) != 0) return fail(errno);
    std::memcpy(state.data, &t, sizeof t);
    state.valid = true;
    return true;
}

bool serialRestoreState(SerialHandle handle, const SerialSavedState& state) {
    if (!state.valid) return fail(EINVAL);
    termios t;
    std::memcpy(&t, state.data, sizeof t);
    if (tcsetattr(fdOf(handle), TCSANOW, &t) != 0) return fail(errno);
    return true;
}

bool serialSetLine(SerialHandle handle, const SerialLine& line) {
    int fd = fdOf(handle);
    termios t;
    if (tcgetattr(fd, &t) != 0) return fail(errno);

    speed_t speed;
    if (!speedOf(line.baudRate, speed)) return fail(EINVAL);
    tcflag_t size;
    switch (line.dataBits) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return fail(EINVAL);
    }
    tcflag_t parity;
    switch (line.parity) {
        case 0:
            parity = 0;
            break;
        case 1:
            parity = PARENB | PARODD;
            break;
        case 2:
            parity = PARENB;
            break;
        case 3:
            parity = PARENB | PARODD | CMSPAR;
            break;
        case 4:
            parity = PARENB | CMSPAR;
            break;
        default:
            return fail(EINVAL);
    }
    // With 5 data bits a UART sends one and a half stop bits for CSTOPB; otherwise 1.5 cannot be had.
    if (line.stopBits < 0 || line.stopBits > 2 || (line.stopBits == 1 && line.dataBits != 5))
        return fail(EINVAL);
    tcflag_t stop = line.stopBits == 0 ? 0 : CSTOPB;

    t.c_iflag &=
        ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | size | parity | stop;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(fd, TCSANOW, &t) != 0) return fail(errno);
    return true;
}

SerialModemResult serialRaiseModemLines(SerialHandle handle) {
    int fd = fdOf(handle);
    int bits = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIS, &bits) == 0) return SerialModemResult::raised;
    int e = errno;
    lastErrorNumber = e;
    return isPseudoTerminal(fd) ? SerialModemResult::notSupported : SerialModemResult::failed;
}

bool serialPurge(SerialHandle handle) {
    if (tcflush(fdOf(handle), TCIOFLUSH) != 0) return fail(errno);
    return true;
}

SerialWait serialWaitInput(SerialHandle handle, int timeoutMs) {
    if (timeoutMs > 50) timeoutMs = 50;
    if (timeoutMs < 0) timeoutMs = 0;
    pollfd p = {fdOf(handle), POLLIN, 0};
    int n = poll(&p, 1, timeoutMs);
    if (n < 0) {
        if (errno == EINTR) return SerialWait::timeout;
        fail(errno);
        return SerialWait::gone;
    }
    if (n == 0) return SerialWait::timeout;
    if (p.revents & POLLIN) return SerialWait::input;  // bytes still buffered are read before the hang-up
    fail(p.revents & POLLNVAL ? EBADF : EIO);
    return SerialWait::gone;
}

int serialReadAvailable(SerialHandle handle, unsigned char* buffer, int capacity) {
    int fd = fdOf(handle);
    ssize_t n = ::read(fd, buffer, size_t(capacity));
    if (n > 0) return int(n);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return 0;
        fail(errno);
        return -1;
    }
    // A raw line with nothing to read and a hung-up line both read 0 bytes; poll tells them apart.
    if (hungUp(fd)) {
        fail(EIO);
        return -1;
    }
    return 0;
}

bool serialWrite(SerialHandle handle, const unsigned char* bytes, int count, int timeoutMs) {
    int fd = fdOf(handle);
    long long deadline = nowMs() + timeoutMs;
    int done = 0;
    while (done < count) {
        ssize_t n = ::write(fd, bytes + done, size_t(count - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return fail(errno);
        long long left = deadline - nowMs();
        if (left <= 0) return fail(ETIMEDOUT);
        pollfd p = {fd, POLLOUT, 0};
        int r = poll(&p, 1, int(left));
        if (r < 0 && errno != EINTR) return fail(errno);
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) return fail(EIO);
    }
    return true;
}

int serialEnumerateUnder(const char* root, SStringList& paths) {
    paths.clear();
    SString dev(root);
    SStringList seen;  // real paths already listed

    SString byId = dev + "/serial/by-id";
    SStringList names;
    listDirectory(byId, nullptr, names);
    names.sort();
    for (int i = 0; i < names.getCount(); ++i) {
        SString path = byId + "/" + names[i];
        seen.add(realPathOf(path));
        paths.add(path);
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        SStringList found;
        listDirectory(dev, prefix, found);
        sortDeviceNames(found);
        for (int i = 0; i < found.getCount(); ++i) {
            SString path = dev + "/" + found[i];
            if (seen.find(realPathOf(path)) >= 0) continue;
            paths.add(path);
        }
    }
    return paths.getCount();
}

int serialEnumerate(SStringList& paths) {
    return serialEnumerateUnder("/dev", paths);
}
