// The localised texts in which every result of a file is told, English and
// French, as 8-bit windows-1252 text ("é" is the byte 0xE9). The dialog or the
// command line picks the current table once, by the user's language.
#pragma once

struct MessageTable {
  const char* BadDate;
  const char* CannotRenameInput;
  const char* CannotOpenInput;
  const char* CannotDeleteOldFile;
  const char* FileIsReadOnly;
  const char* CannotOpenOutput;
  const char* AllDone;
  const char* SeparatorNotFound;
  const char* TrackNumberNotFound;
  const char* CannotReadInput;
  const char* VerifyFailed;
  const char* DataLeftOut;
  // The refusals of a native FLAC file, before it is touched.
  const char* FlacNoMarker;
  const char* FlacBadStreamInfo;
  const char* FlacBlockPastEnd;
  const char* FlacSeveralComments;
  const char* FlacBadCommentList;
  const char* FlacCommentTooLarge;
  // An edit in place (mirale-cli) that failed, and its file.
  const char* InPlaceWriteFailed;
  const char* InPlaceVerifyFailed;
  const char* InPlaceRestoreFailed;
};

extern const MessageTable EnglishMessages;
extern const MessageTable FrenchMessages;

// Null until the front end chooses; CurrentMessages() falls back to English.
extern const MessageTable* CurrentMessageTable;
const MessageTable& CurrentMessages();
