#include "platform/recurringerror.h"

#include <cstdio>

void CRecurringError::Failed(const std::string& line)
{
    if (line == m_said) return;
    std::fprintf(stderr, "%s\n", line.c_str());
    m_said = line;
}

void CRecurringError::Worked(const std::string& line)
{
    if (m_said.empty()) return;
    std::fprintf(stderr, "%s\n", line.c_str());
    m_said.clear();
}
