// The serial port through termios, on a file descriptor opened non-blocking.
#include "controller/serial_port.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "text/quote.h"

struct SerialPort::State {
    int fd = -1;
};

namespace {

bool SpeedFor(int baud, speed_t& speed) {
    switch (baud) {
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    default: return false;
    }
}

// Raw bytes both ways: no line editing, no echo, no signals, no translation
// of carriage returns, no software or hardware flow control; reads return
// at once with what has arrived.
bool MakeRaw(int fd, speed_t speed) {
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return false;
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
    tio.c_cflag &= ~CRTSCTS;
#endif
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return false;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Who may open the device: a user outside its group is told which group
// to join (dialout on Debian and Ubuntu, uucp on others).
std::string PermissionAdvice(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return "";
    const group* owner = getgrgid(info.st_gid);
    if (!owner || !owner->gr_name) return "";
    const std::string name = owner->gr_name;
    return "; the user must be in the port's group '" + name + "' (sudo usermod -aG " + name +
           " $USER, then log in again)";
}

std::string Failure(const std::string& path, const char* what, int error) {
    std::string line = "cannot open the port " + Printable(path, kShownPortLength) + ": " + what + std::strerror(error);
    if (error == EACCES || error == EPERM) line += PermissionAdvice(path);
    return line;
}

}  // namespace

SerialPort::SerialPort() : state_(new State) {}

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(const std::string& path, int baud, std::string& error) {
    Close();
    speed_t speed;
    if (!SpeedFor(baud, speed)) {
        error = "cannot open the port " + Printable(path, kShownPortLength) + ": no such baud rate " + std::to_string(baud);
        return false;
    }
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Failure(path, "", errno);
        return false;
    }
    if (!isatty(fd)) {
        close(fd);
        error = "cannot open the port " + Printable(path, kShownPortLength) + ": not a serial port";
        return false;
    }
    if (!MakeRaw(fd, speed)) {
        int saved = errno;
        close(fd);
        error = Failure(path, "cannot set it up: ", saved);
        return false;
    }
    tcflush(fd, TCIOFLUSH);
    state_->fd = fd;
    return true;
}

void SerialPort::Close() {
    if (state_->fd < 0) return;
    close(state_->fd);
    state_->fd = -1;
}

long SerialPort::Write(const char* data, size_t size, std::string& error) {
    for (;;) {
        ssize_t written = write(state_->fd, data, size);
        if (written >= 0) return static_cast<long>(written);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        error = std::string("cannot write to the port: ") + std::strerror(errno);
        return -1;
    }
}

long SerialPort::Queued() {
#ifdef TIOCOUTQ
    int queued = 0;
    if (ioctl(state_->fd, TIOCOUTQ, &queued) == 0) return queued;
#endif
    return -1;
}

long SerialPort::Read(char* buffer, size_t size, std::string& error) {
    for (;;) {
        ssize_t got = read(state_->fd, buffer, size);
        if (got >= 0) return static_cast<long>(got);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        error = std::string("cannot read from the port: ") + std::strerror(errno);
        return -1;
    }
}

bool SerialPort::HungUp() {
    pollfd entry{state_->fd, POLLOUT, 0};
    if (poll(&entry, 1, 0) < 0) return false;
    return (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool SerialPort::Drain(std::string& error) {
    if (tcdrain(state_->fd) == 0) return true;
    error = std::string("cannot send everything to the port: ") + std::strerror(errno);
    return false;
}

void SerialPort::DiscardInput() {
    tcflush(state_->fd, TCIFLUSH);
}
