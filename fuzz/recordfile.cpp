// Opens arbitrary bytes as each of the four record files and runs the paged queries and an
// alarm search on them. The first input byte says which header copies get a right signature and
// check value (bit 0 copy A, bit 1 copy B), so the fuzzer reaches the checks behind them; the
// rest gives the two header copies and the record area: for the alarm file its 50-byte pieces
// become the stubs of slots 0, 1, ... and what is left the records.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "appbase/tesmorapp.h"
#include "platform/filefaults.h"
#include "platform/uiloop.h"
#include "platform/wnd.h"
#include "records/almrecreceiver.h"
#include "records/threaddataalmrec.h"

namespace {

class Receiver : public CWnd, public CAlmRecReceiver {
public:
    Receiver() : ecg0(g_i32AlmECGWaveLen), ecg1(g_i32AlmECGWaveLen), resp(g_i32AlmRespWaveLen), pleth(g_i32AlmPlethWaveLen)
    {
        rec.pEcgWave[0] = ecg0.data();
        rec.pEcgWave[1] = ecg1.data();
        rec.pRespWave = resp.data();
        rec.pPlethWave = pleth.data();
        Create(nullptr, CRect(0, 0, 1, 1), 1);
    }
    SAVE_ALM* GetAlmRecord() override { return &rec; }
    SAVE_ALM rec{};
    std::vector<WORD> ecg0, ecg1;
    std::vector<BYTE> resp, pleth;
};

const std::string& Folder()
{
    static std::string dir = [] {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm/recfuzzXXXXXX" : "/tmp/recfuzzXXXXXX";
        std::vector<char> buf(base.begin(), base.end());
        buf.push_back(0);
        return std::string(mkdtemp(buf.data()));
    }();
    return dir;
}

void Put(int fd, uint64_t at, const uint8_t* data, size_t size)
{
    if (size > 0) (void)!pwrite(fd, data, size, static_cast<off_t>(at));
}

void PutHead(int fd, uint64_t at, const uint8_t* data, size_t size, bool sign)
{
    REC_FILE_HEAD h{};
    std::memcpy(&h, data, std::min(size, sizeof(h)));
    if (sign) {
        CRecordRing::StampSignature(&h);
        CRecordRing::SealHeader(&h);
    }
    if (size > 0 || sign) Put(fd, at, reinterpret_cast<const uint8_t*>(&h), sign ? sizeof(h) : size);
}

void WriteFile(const std::string& path, uint8_t flags, const uint8_t* data, size_t size, bool alarm)
{
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    const size_t head = sizeof(REC_FILE_HEAD);
    PutHead(fd, 0, data, std::min(size, head), flags & 1);
    PutHead(fd, g_u64HeadBOffset, data + std::min(size, head), size > head ? std::min(size - head, head) : 0,
            flags & 2);
    size_t at = std::min(size, 2 * head);
    if (alarm) {
        for (uint32_t i = 0; i < g_u32AlmSaveMax && at < size; ++i, at += sizeof(ALM_INDEX))
            Put(fd, g_u64RecordAreaOffset + uint64_t{i} * g_u32AlmStubSize, data + at,
                std::min(size - at, sizeof(ALM_INDEX)));
        Put(fd, g_u64AlmRecAreaOffset, data + at, size - at);
    } else {
        Put(fd, g_u64RecordAreaOffset, data + at, size - at);
    }
    // Long enough to be opened rather than created afresh.
    if (lseek(fd, 0, SEEK_END) <= static_cast<off_t>(g_u64RecordAreaOffset))
        (void)!ftruncate(fd, static_cast<off_t>(g_u64RecordAreaOffset + 1));
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFileFaults::SetDiskSync(false);
    const std::string& dir = Folder();
    theApp.m_strDataSavePath = dir + "/DataSave.dat";
    theApp.m_strNibpSavePath = dir + "/NIBPSave.dat";
    theApp.m_strSysSavePath = dir + "/SysSave.dat";
    theApp.m_strAlmSavePath = dir + "/AlmSave.dat";
    const uint8_t flags = size > 0 ? data[0] : 0;
    const uint8_t pick = size > 0 ? data[size - 1] : 0;
    if (size > 0) {
        ++data;
        --size;
    }
    WriteFile(theApp.m_strDataSavePath, flags, data, size, false);
    WriteFile(theApp.m_strNibpSavePath, flags, data, size, false);
    WriteFile(theApp.m_strSysSavePath, flags, data, size, false);
    WriteFile(theApp.m_strAlmSavePath, flags, data, size, true);

    Receiver receiver;
    std::vector<WORD> ecg[3] = {std::vector<WORD>(g_i32ECGWaveLen), std::vector<WORD>(g_i32ECGWaveLen),
                                std::vector<WORD>(g_i32ECGWaveLen)};
    std::vector<BYTE> resp(g_i32RespWaveLen), pleth(g_i32PlethWaveLen);
    SAVE_DATA req{};
    for (int i = 0; i < 3; ++i) req.pEcgWave[i] = ecg[i].data();
    req.pRespWave = resp.data();
    req.pPlethWave = pleth.data();
    {
        CThreadDataAlmRec rec;
        rec.InitInstance();
        rec.m_pNibpWnd = &receiver;
        rec.m_pSysWnd = &receiver;
        rec.m_pAlmWnd = &receiver;
        ALM_SEARCH cond{};
        U16Copy(cond.szStartTime, 20, u"0000");
        U16Copy(cond.szEndTime, 20, u"9999");
        cond.u8AlmType = static_cast<uint8_t>(pick % 9);
        const int modes[] = {3, 2, 1, 2};
        for (int step = 0; step < 4; ++step) {
            req.nMode = modes[step];
            req.nStep = (pick * 37 + step) % 2000;
            rec.RequestDataRecord(&req);
            rec.RequestNibpPage(modes[step]);
            rec.RequestSysPage(modes[step]);
            cond.u8Kind = static_cast<uint8_t>(step == 0 ? 1 : step == 3 ? 5 : step + 1);
            rec.RequestAlmSearch(&cond);
            rec.RunPass();
        }
        rec.AddPowerOnRecord();
        rec.RunPass();
    }
    CUiLoop::Instance().DispatchPosted();
    return 0;
}
