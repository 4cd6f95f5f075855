#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <string>

#include "appbase/tesmorapp.h"
#include "link/serialport.h"
#include "linktest.h"
#include "platform/fakeclock.h"

using namespace linktest;

namespace {

// A pseudo-terminal as the device: the port opens the slave side, the test uses the master side.
class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.ResetForTests();
        char name[256] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = name;
    }
    void TearDown() override
    {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }

    Bytes ReadMaster(size_t want)
    {
        Bytes got;
        uint8_t buf[512];
        while (got.size() < want) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) break;
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

    FakeClock clock;  // the control-line sequence sleeps on it
    int master = -1;
    int slave = -1;
    std::string path;
};

Bytes AllByteValues()
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return all;
}

}  // namespace

TEST_F(SerialPortTest, RawBytesPassUnchangedBothWays)
{
    CSerialPort port;
    ASSERT_EQ(port.OpenDevice(path), 0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(clock.TickCount(), 1000u + 1150u);  // the control-line sequence's pauses

    const Bytes special = {0x80, 0x03, 0x0A, 0x0D, 0x11, 0x13, 0xFF, 0x7F, 0x00, 0x1A, 0x04, 0x1C};
    EXPECT_EQ(port.Write(special.data(), static_cast<unsigned>(special.size())), special.size());
    EXPECT_EQ(ReadMaster(special.size()), special);
    Bytes all = AllByteValues();
    EXPECT_EQ(port.Write(all.data(), 256), 256u);
    EXPECT_EQ(ReadMaster(256), all);

    ASSERT_EQ(::write(master, all.data(), all.size()), 256);
    Bytes got;
    uint8_t buf[300];
    for (int tries = 0; tries < 200 && got.size() < 256; ++tries) {
        unsigned n = port.Read(buf, sizeof buf);
        got.insert(got.end(), buf, buf + n);
    }
    EXPECT_EQ(got, all);
}

TEST_F(SerialPortTest, ReadTimesOutWithNothingThere)
{
    CSerialPort port;
    ASSERT_EQ(port.OpenDevice(path), 0);
    uint8_t buf[16];
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(CSerialPort::kReadTimeoutMs - 1));
}

TEST_F(SerialPortTest, SecondOpenOfTheSameDeviceIsRefused)
{
    CSerialPort first;
    ASSERT_EQ(first.OpenDevice(path), 0);
    CSerialPort second;
    EXPECT_EQ(second.OpenDevice(path), 1);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(first.OpenDevice(path), 1);  // an open port is not opened twice
}

TEST_F(SerialPortTest, ANonTerminalIsRefused)
{
    CSerialPort port;
    EXPECT_EQ(port.OpenDevice("/dev/null"), 1);
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortOpenTest, MissingComPortFailsAndLeavesThePortHarmless)
{
    theApp.ResetForTests();
    CSerialPort port;
    EXPECT_EQ(CSerialPort::DevicePath(0), "");
    EXPECT_EQ(CSerialPort::DevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(CSerialPort::DevicePath(3), "/dev/ttyS2");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(port.Open(), 1);  // COM0 does not exist
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "serial port COM0 has no device on this machine; the link goes on without it\n");
    EXPECT_FALSE(port.IsOpen());
    const uint8_t b[] = {1, 2, 3};
    EXPECT_EQ(port.Write(b, 3), 0u);
    uint8_t r[3];
    EXPECT_EQ(port.Read(r, 3), 0u);
    EXPECT_EQ(port.Close(), 0);
}

TEST(SerialPortOpenTest, NegativePortNumberSkipsOpening)
{
    theApp.ResetForTests();
    theApp.m_nComPort = -1;
    CSerialPort port;
    EXPECT_EQ(port.Open(), 0);
    EXPECT_FALSE(port.IsOpen());
    theApp.m_nComPort = 0;
}
