// The standard-error line of a job that runs again and again (every few seconds) and may fail
// each time: a failure is said when it begins, not again while the same failure lasts, and the
// job's return to working is said once.
#pragma once

#include <string>

class CRecurringError {
public:
    // The job failed: says the line, unless the last run failed with the same line.
    void Failed(const std::string& line);
    // The job worked: says the line when the last run failed.
    void Worked(const std::string& line);
    bool IsFailing() const { return !m_said.empty(); }

private:
    std::string m_said;  // the failure line last said; empty while the job works
};
