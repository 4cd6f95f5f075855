// One serial port for the link thread, over termios in raw mode: 8 data bits, no parity, one
// stop bit, no flow control and no character translation, held with an exclusive lock so that
// no second user can open it. "COM<n>" is the device /dev/ttyS<n-1>; COM0 has none.
#pragma once

#include <cstdint>
#include <string>

class CSerialPort {
public:
    static constexpr int kInvalidHandle = -1;
    static constexpr int kReadTimeoutMs = 10;
    static constexpr int kWriteTimeoutMs = 500;

    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens and configures the port numbered by the application's m_nComPort. Returns 0 when
    // opened, or when skipped because the number is negative; 1 when the port cannot be opened.
    int Open();
    // Opens and configures a device by path; 0 on success, 1 when it cannot be opened.
    int OpenDevice(const std::string& path);
    // Reads what is there, waiting up to 10 ms for a first byte. 0 when closed or on failure.
    unsigned Read(uint8_t* buffer, unsigned n);
    // Writes n bytes within 500 ms; reports "Send error" on a failed or short write. Returns
    // the number written, 0 when the port is not open.
    unsigned Write(const uint8_t* buffer, unsigned n);
    // A close hook; the handle is closed by the destructor.
    int Close() { return 0; }

    bool IsOpen() const { return m_hPort != kInvalidHandle; }
    // The device behind "COM<port>"; empty for 0 and below, which name no device.
    static std::string DevicePath(int port);

private:
    void Configure();
    void SetModemLine(int line, bool on);
    void SetSpeed(unsigned speed);

    int m_hPort = kInvalidHandle;
};
