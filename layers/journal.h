// The ActionJournal: the executed actions that let the host have every Layer
// rebuilt with its latest settings after it re-created its windows.
#pragma once

#include <string>
#include <vector>

struct JournalEntry {
    int action;
    std::wstring name;      // the rectangle name exactly as passed
    std::wstring params[6]; // p1 ... p6, missing ones empty
};

// Applies the journal's rules for one executed action (see journal.cpp).
// Nothing is recorded while the journal is being replayed.
void RecordAction(int action, const std::wstring& name, const std::wstring& p1 = L"",
                  const std::wstring& p2 = L"", const std::wstring& p3 = L"",
                  const std::wstring& p4 = L"", const std::wstring& p5 = L"",
                  const std::wstring& p6 = L"");
const std::vector<JournalEntry>& ActionJournal();
void ClearActionJournal();

int Replaying();
void SetReplaying(int replaying);
