// The record thread: owns the four record files (data, NIBP, system events, alarms), writes the
// records that producers on other threads queue, and answers the review windows' queries.
// Each file group has its own lock over its queue and query state; no file operation runs under
// a lock. RunPass is one pass of the 40 ms loop, callable without a thread.
#pragma once

#include <atomic>
#include <list>
#include <string>
#include <vector>

#include "platform/criticalsection.h"
#include "platform/file.h"
#include "platform/winthread.h"
#include "records/recordring.h"
#include "records/recordtypes.h"

class CWnd;

class CThreadDataAlmRec : public CWinThread {
public:
    CThreadDataAlmRec();
    ~CThreadDataAlmRec() override;

    BOOL InitInstance() override;
    int Run() override;
    int ExitInstance() override;
    // One pass of the loop: the queries and writers in their fixed order.
    void RunPass();

    // Producers (any thread). 0 queued, 1 dropped because the queue is full.
    int AddDataRecord(SAVE_DATA* rec);
    int AddAlmRecord(SAVE_ALM* rec);
    int AddNibpRecord(NIBP_DATA* rec);
    int AddSysRecord(SYS_DATA* rec);
    void AddPowerOnRecord();

    // Review requests (user-interface thread). Each accepted request gets a number of its own,
    // never 0 and never given twice in a run; its answer, WM_REC_QUERY_DONE, carries that number
    // in lParam. They return the number, or 0 when the request is ignored.
    uint32_t RequestDataRecord(SAVE_DATA* req);
    uint32_t RequestNibpPage(int dir);
    uint32_t RequestSysPage(int dir);
    uint32_t RequestAlmSearch(ALM_SEARCH* cond);
    // Copies the last served page, newest first.
    void CopyNibpResult(std::vector<NIBP_DATA>* out);
    void CopySysResult(std::vector<SYS_DATA>* out);
    // A review window that goes away: its pending requests are withdrawn, so no answer reaches
    // it and the next window to ask is served afresh.
    void ForgetRequester(CWnd* wnd);

    std::atomic<int> m_bExit{0};
    std::atomic<CWnd*> m_pNibpWnd{nullptr};
    std::atomic<CWnd*> m_pSysWnd{nullptr};
    std::atomic<CWnd*> m_pAlmWnd{nullptr};

    static constexpr size_t g_nQueueMax = 32;  // a queue longer than this drops new records

protected:
    // A data review request and its number.
    struct DataRequest {
        SAVE_DATA* rec;
        uint32_t number;
    };
    // Where an alarm review stands; a search whose request was withdrawn puts it back.
    struct AlmReviewState {
        uint32_t cur;
        uint32_t anchor;
        uint8_t found;
        int busy;
    };

    // Opening and creating (record thread, before the loop).
    int InitDataFile();
    int InitNibpFile();
    int InitSysFile();
    int InitAlmFile();
    int OpenDataFile();
    int OpenNibpFile();
    int OpenSysFile();
    int OpenAlmFile();
    int CreateDataFile();
    int CreateNibpFile();
    int CreateSysFile();
    int CreateAlmFile();

    // Writers.
    void WriteDataRecord();
    void WriteNibpRecord();
    void WriteSysRecord();
    void WriteAlmRecord();
    void WriteAlmSlot(SAVE_ALM* rec);

    // Queries.
    void DoDataQuery();
    void DoNibpQuery();
    void DoSysQuery();
    void DoAlmQuery();
    void SearchAlmFirst(ALM_SEARCH* cond);
    void SearchAlmOlder(ALM_SEARCH* cond);
    void SearchAlmNewer(ALM_SEARCH* cond);
    int FindAlmNewest(ALM_SEARCH* cond);
    bool ReadAlmSlot();
    void RestoreAlmReview(const AlmReviewState& before);
    static void CopyAlmResult(SAVE_ALM* dst, const SAVE_ALM* src);
    bool AlmEntryMatches(uint32_t slot, const ALM_SEARCH& cond) const;
    int ReloadAlmIndex();

    // The files no record may go to (the settings file, the screen pictures and their
    // temporary files), set when the files are opened.
    std::vector<std::string> m_vecOtherFiles;

    // Data group.
    int m_bDataFileErr = 0;
    int m_bDataHeadToggle = 0;
    std::atomic<uint32_t> m_u32DataWrite{0};
    uint32_t m_u32DataRead = 0;
    std::atomic<uint32_t> m_u32DataCount{0};
    uint32_t m_u32DataSlotSize = g_u32DataSlotSize;
    std::vector<BYTE> m_pDataSlotBuf;
    REC_FILE_HEAD m_stDataHead[2] = {};
    std::list<SAVE_DATA> m_listDataQueue;
    std::list<DataRequest> m_listDataReq;
    CFile m_fileData;
    CCriticalSection m_csDataFile;
    CRecordRing m_ringData;

    // NIBP group.
    int m_bNibpFileErr = 0;
    int m_bNibpHeadToggle = 0;
    std::atomic<uint32_t> m_u32NibpWrite{0};
    uint32_t m_u32NibpPageEnd = 0;
    std::atomic<uint32_t> m_u32NibpCount{0};
    uint32_t m_u32NibpSlotSize = g_u32SmallSlotSize;
    uint32_t m_u32NibpPageSize = 0;
    uint8_t m_u8NibpQueryState = 1;
    uint32_t m_u32NibpRequestNo = 0;  // the number of the pending request, 0 when none
    int m_nNibpPageDir = 3;           // the direction of the pending request
    std::vector<BYTE> m_pNibpSlotBuf;
    REC_FILE_HEAD m_stNibpHead[2] = {};
    std::list<NIBP_DATA> m_listNibpQueue;
    std::list<NIBP_DATA> m_listNibpResult;
    CFile m_fileNibp;
    CCriticalSection m_csNibpFile;
    CRecordRing m_ringNibp;

    // System-event group.
    int m_bSysFileErr = 0;
    int m_bSysHeadToggle = 0;
    std::atomic<uint32_t> m_u32SysWrite{0};
    uint32_t m_u32SysPageEnd = 0;
    std::atomic<uint32_t> m_u32SysCount{0};
    uint32_t m_u32SysSlotSize = g_u32SmallSlotSize;
    uint32_t m_u32SysPageSize = 0;
    uint8_t m_u8SysQueryState = 1;
    uint32_t m_u32SysRequestNo = 0;
    int m_nSysPageDir = 3;
    std::vector<BYTE> m_pSysSlotBuf;
    REC_FILE_HEAD m_stSysHead[2] = {};
    std::list<SYS_DATA> m_listSysQueue;
    std::list<SYS_DATA> m_listSysResult;
    CFile m_fileSys;
    CCriticalSection m_csSysFile;
    CRecordRing m_ringSys;

    // Alarm group.
    int m_bAlmFileErr = 0;
    int m_bAlmHeadToggle = 0;
    std::atomic<uint32_t> m_u32AlmWrite{0};
    uint32_t m_u32AlmCur = 0;
    uint32_t m_u32AlmAnchor = 0;
    std::atomic<uint32_t> m_u32AlmCount{0};
    uint32_t m_u32AlmStubSize = g_u32AlmStubSize;
    uint8_t m_u8AlmQueryState = 1;
    uint32_t m_u32AlmRequestNo = 0;
    uint8_t m_bAlmFound = 0;
    std::vector<BYTE> m_pAlmSlotBuf;
    REC_FILE_HEAD m_stAlmHead[2] = {};
    std::list<SAVE_ALM> m_listAlmQueue;
    ALM_SEARCH m_stAlmSearch = {};
    SAVE_ALM m_stAlmResult = {};
    std::vector<ALM_INDEX> m_pAlmIndex;
    CFile m_fileAlm;
    int m_bAlmBusy = 0;
    int m_bAlmCancel = 0;
    CCriticalSection m_csAlmFile;
    CRecordRing m_ringAlm;

private:
    // The number of a newly accepted request.
    uint32_t NextRequestNo();
    template <class T>
    static bool QueueFull(const std::list<T>& queue, CCriticalSection& cs);
    template <class T>
    int QueueRecord(std::list<T>& queue, CCriticalSection& cs, T&& rec);
    template <class T>
    void WriteSmallRecord(std::list<T>& queue, CCriticalSection& cs, CRecordRing& ring, std::vector<BYTE>& buf);
    // The members of the NIBP or the system-event group that its page review works on.
    struct PageGroup {
        CCriticalSection& cs;
        uint8_t& state;
        uint32_t& number;
        int& dir;
        uint32_t& pageEnd;
        uint32_t& pageSize;
        CRecordRing& ring;
        std::vector<BYTE>& buf;
        std::atomic<CWnd*>& wnd;
    };
    PageGroup NibpPages();
    PageGroup SysPages();
    // The ring a page moves in: its length, write slot and record count.
    struct PageRing {
        uint32_t len, w, n;
    };
    static PageRing PagedRing(const CRecordRing& ring, uint32_t held);
    uint32_t RequestPage(int dir, const PageGroup& q);
    void MovePage(const PageGroup& q, const PageRing& ring);
    template <class T>
    void DoPageQuery(const PageGroup& q, std::list<T>& result);
    void FreeQueues();

    std::atomic<uint32_t> m_u32LastRequestNo{0};
};
