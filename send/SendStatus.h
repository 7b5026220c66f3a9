// Send statuses answered by targets and senders, and the kinds of targets in a target list.
#pragma once

#include "support/ResultCodes.h"

namespace send_status {

constexpr int kSaved = result::kSuccess;
constexpr int kSavedUnderNewName = result::kSavedUnderNewName;  // the name was taken
constexpr int kNotSentYet = result::kNotSentYet;                // a new sender, a pending decision
constexpr int kCancelled = result::kSendCancelled;              // the answer of a cancel trigger
constexpr int kReservedSuccess = 0x20000004;                    // sent by no target; maps to success
constexpr int kAbort = result::kAbortChosen;                    // abort chosen in the error dialog
constexpr int kRetry = result::kRetryChosen;                    // retry chosen in the error dialog
constexpr int kGoOn = result::kGoOnChosen;                      // decision already taken: next target
constexpr int kNoSender = result::kNotReady;                    // never sent, or nothing to report
constexpr int kNoDestination = result::kBadArguments;           // a send without a destination
constexpr int kFileExists = 80;                                 // ERROR_FILE_EXISTS: a name collision

}  // namespace send_status

namespace target_kind {

constexpr int kFile = 0;
constexpr int kCancelTrigger = 1;
constexpr int kErrorTrigger = 2;

}  // namespace target_kind
