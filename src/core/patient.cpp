#include "core/patient.h"

#include "platform/clock.h"
#include "platform/textu16.h"

CPatient::CPatient()
{
    U16Copy(m_szId, 32, u"1234567");
    U16Copy(m_szName, 9, u"姓名");
    U16Copy(m_szShort1, 8, u"0");
    U16Copy(m_szShort2, 8, u"0");
    LocalTime now = GetLocalTime();
    U16Format(m_szDate1, 32, "%04d-%02d-%02d", now.year, now.month, now.day);
    U16Copy(m_szDate2, 32, m_szDate1);
}

CPatient::CPatient(const CPatient& source) : CPatient() { CopyFrom(source); }

CPatient& CPatient::operator=(const CPatient& source)
{
    if (this != &source) CopyFrom(source);
    return *this;
}

void CPatient::CopyTo(CPatient& target) const
{
    U16Copy(target.m_szId, 32, m_szId);
    U16Copy(target.m_szName, 9, m_szName);
    U16Copy(target.m_szDate1, 32, m_szDate1);
    U16Copy(target.m_szDate2, 32, m_szDate2);
    target.m_nSex = m_nSex;
    U16Copy(target.m_szShort1, 8, m_szShort1);
    U16Copy(target.m_szShort2, 8, m_szShort2);
}

void CPatient::CopyFrom(const CPatient& source) { source.CopyTo(*this); }
