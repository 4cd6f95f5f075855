// Byte layout of the four record files, written through the record thread and read back raw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "appbase/tesmorapp.h"
#include "platform/textu16.h"
#include "recordfixture.h"

namespace {

template <class T>
T At(const std::vector<uint8_t>& raw, size_t offset)
{
    T v;
    std::memcpy(&v, raw.data() + offset, sizeof(T));
    return v;
}

std::u16string TextAt(const std::vector<uint8_t>& raw, size_t offset, size_t chars)
{
    std::u16string s(chars, u'\0');
    std::memcpy(s.data(), raw.data() + offset, chars * 2);
    return s.substr(0, s.find(u'\0'));
}

// The CRC-32 of the reflected polynomial 0xEDB88320 (zlib's), worked out bit by bit.
uint32_t Crc32(const uint8_t* bytes, size_t size)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c ^= bytes[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

// The seal at `at` of a header copy or slot: its check value, the CRC-32 of every byte with the
// seal's 8 read as zeros, beside the tag 0xC5E1A7D2 (after it in a slot, before it in a header).
void ExpectSealed(std::vector<uint8_t> raw, size_t at, bool tagFirst)
{
    ASSERT_GE(raw.size(), at + 8);
    const uint32_t check = At<uint32_t>(raw, tagFirst ? at + 4 : at);
    EXPECT_EQ(At<uint32_t>(raw, tagFirst ? at : at + 4), 0xC5E1A7D2u);
    std::fill_n(raw.begin() + static_cast<long>(at), 8, 0);
    EXPECT_EQ(check, Crc32(raw.data(), raw.size()));
}

class RecordLayoutTest : public RecordFixture {
protected:
    void SetUp() override
    {
        RecordFixture::SetUp();
        clock.SetLocalTime(LocalTime{2026, 12, 7, 10, 30, 15, 0});
        Start();
    }
};

TEST_F(RecordLayoutTest, DataSlotAndHeaderOffsets)
{
    DataRecordSource src(0x00020001);
    src.rec.val.i16Temp = 371;
    src.rec.val.i16DBP = -100;
    clock.Advance(5000);  // the record carries the time it was queued, not the builder's
    ASSERT_EQ(thread->AddDataRecord(&src.rec), 0);
    thread->RunPass();

    const std::string& path = dataPath;
    auto slot = ReadRaw(path, 0x20000, 0x2000);
    ASSERT_EQ(slot.size(), 0x2000u);
    EXPECT_EQ(At<int16_t>(slot, 0x00), 1);          // HR
    EXPECT_EQ(At<int16_t>(slot, 0x02), -10000);     // ST1
    EXPECT_EQ(At<int16_t>(slot, 0x0A), -100);       // SpO2
    EXPECT_EQ(At<int16_t>(slot, 0x0C), 2);          // PR
    EXPECT_EQ(At<int16_t>(slot, 0x10), -100);       // DBP
    EXPECT_EQ(At<int16_t>(slot, 0x14), 371);        // temperature
    EXPECT_EQ(At<int8_t>(slot, 0x16), 21);          // FiO2
    EXPECT_EQ(TextAt(slot, 0x18, 20), u"2026-12-07 10:30:20");
    EXPECT_EQ(TextAt(slot, 0x40, 9), u"张三李四王五赵六");
    EXPECT_EQ(At<uint16_t>(slot, 0x40 + 16), 0);    // the name's terminator
    EXPECT_EQ(At<uint16_t>(slot, 0x80), EcgSample(0x00020001, 0, 0));
    EXPECT_EQ(At<uint16_t>(slot, 0x850), EcgSample(0x00020001, 1, 0));
    EXPECT_EQ(At<uint16_t>(slot, 0x1020 + 2 * 999), EcgSample(0x00020001, 2, 999));
    EXPECT_EQ(slot[0x17F0], ByteSample(0x00020001, 0, 0));
    EXPECT_EQ(slot[0x18EA + 249], ByteSample(0x00020001, 1, 249));

    auto head = ReadRaw(path, 0, 232);
    EXPECT_EQ(TextAt(head, 0x00, 8), u"KWPD5NXQ");
    EXPECT_EQ(TextAt(head, 0x10, 8), u"V 1.00");
    EXPECT_EQ(TextAt(head, 0x20, 32), u"2026-12-07 10:30:15");
    EXPECT_EQ(TextAt(head, 0x60, 32), u"2026-12-07 10:30:20");
    EXPECT_EQ(At<uint32_t>(head, 0xE0), 1u);
    EXPECT_EQ(At<uint32_t>(head, 0xE4), 1u);
    auto headB = ReadRaw(path, 0x10000, 232);
    EXPECT_EQ(TextAt(headB, 0x00, 8), u"KWPD5NXQ");
    EXPECT_EQ(At<uint32_t>(headB, 0xE0), 0u);
}

// Files written by one build are read by the next: the check values are a fixed function of the
// bytes, in bytes the format leaves undefined.
TEST_F(RecordLayoutTest, SealsAreTheCrc32OfTheirBytes)
{
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    ASSERT_EQ(Crc32(digits, sizeof digits), 0xCBF43926u);  // the standard check value
    DataRecordSource src(0x00030004);
    ASSERT_EQ(thread->AddDataRecord(&src.rec), 0);
    SYS_DATA ev{};
    U16Copy(ev.szEvent, 20, u"监护仪开机");
    thread->AddSysRecord(&ev);
    thread->RunPass();
    const std::string& data = dataPath;
    const size_t headSeal = offsetof(REC_FILE_HEAD, szWriteTime) + 28 * sizeof(char16_t);
    ExpectSealed(ReadRaw(data, 0, sizeof(REC_FILE_HEAD)), headSeal, true);  // updated by the record
    ExpectSealed(ReadRaw(data, 0x10000, sizeof(REC_FILE_HEAD)), headSeal, true);  // as made
    ExpectSealed(ReadRaw(data, 0x20000, 0x2000), sizeof(REC_VALUES), false);
    ExpectSealed(ReadRaw(sysPath, 0x20000, 128), sizeof(SYS_DATA), false);
}

TEST_F(RecordLayoutTest, NibpAndSystemEventSlots)
{
    NIBP_DATA nibp{};
    nibp.i16Sys = 120;
    nibp.i16Dia = 80;
    nibp.i16Mean = 93;
    nibp.i16Extra = -100;
    std::memset(nibp.u8Reserved, 0x5A, sizeof(nibp.u8Reserved));
    ASSERT_EQ(thread->AddNibpRecord(&nibp), 0);
    thread->AddPowerOnRecord();
    thread->RunPass();

    auto n = ReadRaw(nibpPath, 0x20000, 128);
    ASSERT_EQ(n.size(), 128u);
    EXPECT_EQ(At<int16_t>(n, 0), 120);
    EXPECT_EQ(At<int16_t>(n, 2), 80);
    EXPECT_EQ(At<int16_t>(n, 4), 93);
    EXPECT_EQ(At<int16_t>(n, 6), -100);
    EXPECT_EQ(TextAt(n, 0x08, 20), u"2026-12-07 10:30:15");
    EXPECT_EQ(n[0x30], 0x5A);
    EXPECT_EQ(n[0x41], 0x5A);

    auto s = ReadRaw(sysPath, 0x20000, 128);
    ASSERT_EQ(s.size(), 128u);
    EXPECT_EQ(TextAt(s, 0x00, 20), u"监护仪开机");
    EXPECT_EQ(TextAt(s, 0x28, 20), u"2026-12-07 10:30:15");
}

TEST_F(RecordLayoutTest, FreshAlarmFileHasTwoHundredEmptyStubs)
{
    const std::string& path = almPath;
    for (uint32_t i : {0u, 1u, 5u, 199u}) {
        auto stub = ReadRaw(path, 0x20000 + i * 0x1000, 50);
        ASSERT_EQ(stub.size(), 50u);
        EXPECT_EQ(TextAt(stub, 0, 20), u"2026-12-07 10:30:15");
        EXPECT_EQ(stub[0x28], 0xEE);
        EXPECT_EQ(stub[0x29], 0);
        EXPECT_EQ(stub[0x2A], 0);
        EXPECT_EQ(At<uint16_t>(stub, 0x2C), i);
        EXPECT_EQ(At<int16_t>(stub, 0x2E), 0);
        EXPECT_EQ(At<int16_t>(stub, 0x30), 0);
    }
    EXPECT_EQ(thread->m_pAlmIndex[7].u8State, 0xEE);
    EXPECT_EQ(thread->m_pAlmIndex[7].u16Slot, 7);
}

TEST_F(RecordLayoutTest, AlarmRecordAndStubOfSlotFive)
{
    for (uint32_t i = 0; i < 6; ++i) {
        AlmRecordSource src(1, 2, "2026-12-07 10:00:00", 0x00030000 + i);
        src.rec.idx.u16Slot = 0;
        src.rec.val.i16Temp = -100;
        ASSERT_EQ(thread->AddAlmRecord(&src.rec), 0);
        thread->RunPass();
    }
    const std::string& path = almPath;
    auto stub = ReadRaw(path, 0x25000, 50);
    ASSERT_EQ(stub.size(), 50u);
    EXPECT_EQ(stub[0x28], 0);
    EXPECT_EQ(stub[0x29], 1);
    EXPECT_EQ(stub[0x2A], 2);
    EXPECT_EQ(At<uint16_t>(stub, 0x2C), 5);
    EXPECT_EQ(At<uint16_t>(stub, 0x2E), 5);
    EXPECT_EQ(At<uint16_t>(stub, 0x30), 3);

    auto rec = ReadRaw(path, 0xF8000 + 5 * 0x8000, 0x8000);
    ASSERT_EQ(rec.size(), 0x8000u);
    EXPECT_EQ(TextAt(rec, 0, 20), u"2026-12-07 10:00:00");
    EXPECT_EQ(rec[0x28], 0);                       // as the producer handed it in
    EXPECT_EQ(At<uint16_t>(rec, 0x2C), 0);
    EXPECT_EQ(At<int16_t>(rec, 0x80), 150);        // value block: HR
    EXPECT_EQ(At<int16_t>(rec, 0x80 + 0x14), -100);
    EXPECT_EQ(TextAt(rec, 0x80 + 0x18, 20), u"2026-12-07 10:00:00");
    EXPECT_EQ(At<uint16_t>(rec, 0x100), EcgSample(0x00030005, 0, 0));
    EXPECT_EQ(At<uint16_t>(rec, 0x2FE0), EcgSample(0x00030005, 1, 0));
    EXPECT_EQ(rec[0x5EC0], ByteSample(0x00030005, 0, 0));
    EXPECT_EQ(rec[0x649C + 1499], ByteSample(0x00030005, 1, 1499));
    EXPECT_TRUE(AlmRecordIntact(rec));
}

}  // namespace
