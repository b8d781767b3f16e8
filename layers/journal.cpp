// The ActionJournal keeps, per rectangle, the latest create followed by the
// latest entry of each other action, each where it was last performed, so that
// a replay re-creates every Layer and re-applies its settings in that order.
#include "layers/journal.h"

#include "layers/registry.h"
#include "plugin/action_table.h"

namespace {

std::vector<JournalEntry>& Journal() {
    static std::vector<JournalEntry> journal;
    return journal;
}

int replaying = 0;

void RemoveEveryEntryOf(const std::wstring& key) {
    std::vector<JournalEntry>& journal = Journal();
    for (size_t i = 0; i < journal.size();) {
        if (LayerKey(journal[i].name) == key)
            journal.erase(journal.begin() + static_cast<std::ptrdiff_t>(i));
        else
            i++;
    }
}

void RemoveFirstEntryOf(int action, const std::wstring& key) {
    std::vector<JournalEntry>& journal = Journal();
    for (size_t i = 0; i < journal.size(); i++) {
        if (journal[i].action == action && LayerKey(journal[i].name) == key) {
            journal.erase(journal.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

} // namespace

void RecordAction(int action, const std::wstring& name, const std::wstring& p1,
                  const std::wstring& p2, const std::wstring& p3, const std::wstring& p4,
                  const std::wstring& p5, const std::wstring& p6) {
    if (replaying || action == ActionOverlayPause) // pausing is never recorded
        return;
    const std::wstring key = LayerKey(name);
    if (action == ActionLayerDestroy) { // destroy: the rectangle leaves the journal
        RemoveEveryEntryOf(key);
        return;
    }
    if (action == ActionLayerCreate)
        RemoveEveryEntryOf(key);
    else
        RemoveFirstEntryOf(action, key);
    JournalEntry entry;
    entry.action = action;
    entry.name = name;
    entry.params[0] = p1;
    entry.params[1] = p2;
    entry.params[2] = p3;
    entry.params[3] = p4;
    entry.params[4] = p5;
    entry.params[5] = p6;
    Journal().push_back(entry);
}

const std::vector<JournalEntry>& ActionJournal() {
    return Journal();
}

void ClearActionJournal() {
    Journal().clear();
}

int Replaying() {
    return replaying;
}

void SetReplaying(int value) {
    replaying = value ? 1 : 0;
}
