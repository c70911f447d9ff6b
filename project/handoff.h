// The start-up URL list: temporary.dat in the program folder, taken into the queue and
// deleted, so that the window starts a list scan of exactly those URLs.
#pragma once

#include <functional>
#include <string>

inline constexpr const char* kHandOffFileName = "temporary.dat";

enum class HandOffStatus {
    NoFile,      // nothing to take: start idle
    Taken,       // every line offered to the queue and the file deleted
    TakenKept,   // every line offered, but the file could not be deleted
    Unreadable,  // the file is there but cannot be read: left in place, start idle
};

struct HandOffResult {
    HandOffStatus status = HandOffStatus::NoFile;
    int entries = 0;     // lines offered to the queue
    std::string problem; // the reason when the file could not be read or deleted
    // HandOffPending: a list was taken, so the first showing of the window runs it.
    bool pending() const { return status == HandOffStatus::Taken || status == HandOffStatus::TakenKept; }
};

// Takes folder/temporary.dat: offers every non-empty line to insert (the queue's own
// insertion rule decides about duplicates) and deletes the file. Never throws for a file
// that cannot be read or deleted, so start-up always goes on.
HandOffResult TakeHandOffFile(const std::string& folder, const std::function<void(const std::string&)>& insert);
