// The one patient's identification and admission data. Not saved: every start begins with
// the defaults.
#pragma once

#include <cstdint>

class CPatient {
public:
    CPatient();
    CPatient(const CPatient& source);
    CPatient& operator=(const CPatient& source);

    // Copy identifier, name, both dates, sex and both short texts; the first two integers
    // stay with their own record.
    void CopyTo(CPatient& target) const;
    void CopyFrom(const CPatient& source);

    int32_t m_nReserved1 = 0;  // not carried by the copies
    int32_t m_nReserved2 = 0;  // not carried by the copies
    int32_t m_nSex = 0;        // 0 male ("男"), non-zero female ("女")
    char16_t m_szId[32];       // case number
    char16_t m_szName[9];      // at most 8 characters
    char16_t m_szShort1[8];    // height or weight entry
    char16_t m_szShort2[8];
    char16_t m_szDate1[32];    // "%04d-%02d-%02d"
    char16_t m_szDate2[32];
};
