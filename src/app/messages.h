// Texts of the collection dialog, German and English. Every table of
// translated texts has this layout: one entry per text, each entry the
// German then the English version, so entry e in language l (the index
// CheckLanguage returns) is element 2·e + l.
#pragma once

enum MainMessage {
    kMsgPrompt = 0,     // message text when the dialog opens
    kMsgStart = 1,      // caption of Start
    kMsgEnd = 2,        // caption of End
    kMsgCollecting = 3, // message text while a run works
    kMsgError1 = 4,     // 0x80000001: file collection
    kMsgError2 = 5,     // 0x80000002: registry export
    kMsgFinal = 6,      // lead-in of the final message, followed by the folder
    kMsgError3 = 7,     // 0x80000003: initialisation
};

extern const char* const MainDlgMessages[8][2];

inline const char* MainDlgMessage(MainMessage entry, int language) { return MainDlgMessages[entry][language]; }
