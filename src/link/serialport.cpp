#include "link/serialport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "appbase/tesmorapp.h"
#include "platform/clock.h"

CSerialPort::~CSerialPort()
{
    if (m_hPort != kInvalidHandle) ::close(m_hPort);
}

std::string CSerialPort::DevicePath(int port)
{
    return port < 1 ? std::string() : "/dev/ttyS" + std::to_string(port - 1);
}

int CSerialPort::Open()
{
    int port = theApp.m_nComPort;
    if (port < 0) return 0;
    char name[32];
    std::snprintf(name, sizeof name, "COM%d", port);
    std::string path = DevicePath(port);
    if (path.empty()) {
        std::fprintf(stderr, "serial port %s has no device on this machine; the link goes on without it\n", name);
        return 1;
    }
    if (OpenDevice(path) != 0) {
        std::fprintf(stderr, "serial port %s (%s) cannot be opened: %s; the link goes on without it\n", name,
                     path.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}

int CSerialPort::OpenDevice(const std::string& path)
{
    if (m_hPort != kInvalidHandle) return 1;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 1;
    // No sharing: a port already held by someone else is refused.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !::isatty(fd)) {
        int err = ::isatty(fd) ? errno : ENOTTY;
        ::close(fd);
        errno = err;
        return 1;
    }
    ::ioctl(fd, TIOCEXCL);
    m_hPort = fd;
    Configure();
    return 0;
}

// Raw 8N1 at 115200 baud, then the control-line sequence that resets the front end, ending at
// 2400 baud with RTS on; then both directions are purged. Failures of these calls are ignored.
void CSerialPort::Configure()
{
    termios tio{};
    ::tcgetattr(m_hPort, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(m_hPort, TCSANOW, &tio);

    SetModemLine(TIOCM_RTS, true);
    Sleep(500);
    SetModemLine(TIOCM_DTR, false);
    Sleep(50);
    SetModemLine(TIOCM_DTR, true);
    Sleep(500);
    SetModemLine(TIOCM_RTS, false);
    Sleep(50);
    Sleep(50);
    SetModemLine(TIOCM_RTS, true);
    SetSpeed(B2400);
    ::tcflush(m_hPort, TCIOFLUSH);
}

void CSerialPort::SetModemLine(int line, bool on) { ::ioctl(m_hPort, on ? TIOCMBIS : TIOCMBIC, &line); }

void CSerialPort::SetSpeed(unsigned speed)
{
    termios tio{};
    if (::tcgetattr(m_hPort, &tio) != 0) return;
    ::cfsetispeed(&tio, static_cast<speed_t>(speed));
    ::cfsetospeed(&tio, static_cast<speed_t>(speed));
    ::tcsetattr(m_hPort, TCSANOW, &tio);
}

unsigned CSerialPort::Read(uint8_t* buffer, unsigned n)
{
    if (m_hPort == kInvalidHandle || n == 0) return 0;
    pollfd p{m_hPort, POLLIN, 0};
    if (::poll(&p, 1, kReadTimeoutMs) <= 0 || (p.revents & POLLIN) == 0) return 0;
    ssize_t got = ::read(m_hPort, buffer, n);
    return got > 0 ? static_cast<unsigned>(got) : 0;
}

unsigned CSerialPort::Write(const uint8_t* buffer, unsigned n)
{
    if (m_hPort == kInvalidHandle) return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    unsigned done = 0;
    while (done < n) {
        ssize_t put = ::write(m_hPort, buffer + done, n - done);
        if (put > 0) {
            done += static_cast<unsigned>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) break;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{m_hPort, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
    if (done < n) std::fprintf(stderr, "Send error\n");
    return done;
}
