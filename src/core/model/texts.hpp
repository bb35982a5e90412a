#pragma once

// Every text the core shows a user, in one place: what a translation will stand on. Texts with `{}` are fmt
// formats; their arguments are named beside them. Console lines and the service's own texts are not here.

namespace orvendel::texts {

// Buttons of the alerts.
inline constexpr const char* ok = "OK";
inline constexpr const char* yes = "Yes";
inline constexpr const char* no = "No";
inline constexpr const char* cancel = "Cancel";
inline constexpr const char* split = "Split";
inline constexpr const char* logout = "Logout";
inline constexpr const char* update = "Update";
inline constexpr const char* notNow = "Not Now";

// The heats list and the heat detail.
inline constexpr const char* heatTitle = "Heat {}"; // heat number
inline constexpr const char* editDelaysTitle = "Edit Delays";
inline constexpr const char* selectItemMessage = "Select an item to display delays";
inline constexpr const char* noDelaysMessage = "The selected heat has no delays to display";
inline constexpr const char* emptyListMessage = "There is no data available. Try refreshing to get recent data.";
inline constexpr const char* noFurnace = "No Furnace";
inline constexpr const char* selectFurnaceTitle = "Select a furnace";
inline constexpr const char* startTimeLabel = "Start Time:";
inline constexpr const char* endTimeLabel = "End Time:";

// The delay pages, the reason finder and the split time picker.
inline constexpr const char* splitQuestionTitle = "Split Delay?";
inline constexpr const char* splitQuestionMessage = "This will split the delay at the specified position in time";
inline constexpr const char* undoQuestionTitle = "Do you want to undo all changes?";
inline constexpr const char* commentKeptTitle = "Comment Kept";
inline constexpr const char* commentKeptMessage =
    "The delay you were writing a comment for is no longer shown. Your comment was kept as an unsaved edit.";
inline constexpr const char* findReasonTitle = "Find Reason";
inline constexpr const char* assignReason = "Assign Reason";
inline constexpr const char* noReasonsMessage = "There are no reasons available. Try refreshing.";
inline constexpr const char* splitTimePickerTitle = "Select the time to split";

// Comments.
inline constexpr const char* commentNotUtf8 = "A comment must be UTF-8 text.";
inline constexpr const char* commentControlCharacter = "A comment cannot hold control characters.";
inline constexpr const char* commentTooLong = "A comment has at most {} characters; this one has {}."; // limit, count
inline constexpr const char* commentTooManyBytes = "A comment has at most {} bytes; this one has {}."; // limit, size

// Saving.
inline constexpr const char* saving = "Saving...";
inline constexpr const char* savingFailedTitle = "Error Saving Delays";
inline constexpr const char* editNotStoredTitle = "Edit Not Saved on This Device";
inline constexpr const char* editNotStoredMessage =
    "The edit is kept until the app closes, but could not be written to this device: {}."; // the reason
inline constexpr const char* staleSave = "Someone else changed this heat's delays. Refresh to see their version;";
inline constexpr const char* staleSaveReplaced = "{} your changes will be replaced."; // staleSave
inline constexpr const char* staleSaveReplacedCount =
    "{} your changes to {} {} will be replaced."; // staleSave, count, delay or delays
inline constexpr const char* delay = "delay";
inline constexpr const char* delays = "delays";
inline constexpr const char* checkAndSaveAgain = "Your changes are kept; check the connection and save again.";
inline constexpr const char* timedOut = "The server did not answer in time. {}";                  // checkAndSaveAgain
inline constexpr const char* serverNotFound = "The server could not be found on the network. {}"; // the same
inline constexpr const char* serverUnreachable = "The server could not be reached. {}";           // the same
inline constexpr const char* exchangeFailed = "The exchange with the server failed. {}";          // the same
inline constexpr const char* connectionLost =
    "The connection to the server was lost. Your changes are kept; save again once the connection is back.";
inline constexpr const char* notSecure = "A secure connection to the server could not be made. Your changes are "
                                         "kept; save again, and tell IT if this keeps happening.";

// Failures and what the service changed.
inline constexpr const char* problemTitle = "Problem";
inline constexpr const char* serverProblem = "There was a problem with the server. ({}: {})"; // domain, code
inline constexpr const char* noInternetTitle = "No Internet Connection";
inline constexpr const char* noInternetSentence = "Please check your internet connection and try again.";
inline constexpr const char* connectDevice = "Make sure your device is connected to the internet.";
inline constexpr const char* editedDelaysRemovedTitle = "Edited Delays Removed";
inline constexpr const char* editedDelaysRemovedMessage =
    "One or more of your edited delays were removed because an updated version already exists.";
inline constexpr const char* restoredEditsTitle = "Unsaved Edits Restored";
inline constexpr const char* restoredOneEdit = "1 unsaved edit of an earlier run was restored. It is marked with a "
                                               "pencil in the list; save or undo it like any other edit.";
inline constexpr const char* restoredEdits = "{} unsaved edits of an earlier run were restored. They are marked with a "
                                             "pencil in the list; save or undo them like any other edit."; // count
inline constexpr const char* setupFailed = "Failed to setup initial configuration.";

// Questions before work is lost.
inline constexpr const char* savingInProgressQuestion = "There is a saving in progress. Do you want to proceed?";
inline constexpr const char* savingInProgressWarning = "If you select Yes, you may lose unsaved data.";
inline constexpr const char* unsavedDelaysQuestion = "You have unsaved delays. Do you want to proceed?";
inline constexpr const char* allChangesLost = "If you select Yes, all changes will be lost.";
inline constexpr const char* logoutQuestion = "Do you want to logout?";
inline constexpr const char* logoutWarning = "All unsaved changes will be lost.";
inline constexpr const char* updateTitle = "Update Available";
inline constexpr const char* updateQuestion = "There is a newer version available. Update now?";

// Settings.
inline constexpr const char* autoSave = "Automatically save edited delays";

// The shift report.
inline constexpr const char* wholeDay = "Whole day";
inline constexpr const char* unclassified = "Unclassified";
inline constexpr const char* reasonNotInTree = "Reason {} (not in the tree)"; // reason id
inline constexpr const char* allFurnaces = "All furnaces";
inline constexpr const char* moreReasons = "{} more";                     // reasons sharing the chart's last bar
inline constexpr const char* reportTotal = "{} min power off in {} {}";   // minutes, count, delay or delays
inline constexpr const char* reportUnsaved = ", {} min in {} {} unsaved"; // the same, of the unsaved edits
inline constexpr const char* reportPeriod = "{} – {}";                    // first start, last end
inline constexpr const char* furnaceListUnread = "The furnace list could not be read: {}";   // the reason
inline constexpr const char* furnaceNotCounted = "{}: not counted, the download failed: {}"; // furnace, reason
inline constexpr const char* furnaceHeat = "{} · {}";                                        // furnace, heatTitle

} // namespace orvendel::texts
