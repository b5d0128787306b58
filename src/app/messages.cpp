#include "app/messages.h"

const char* const MainDlgMessages[8][2] = {
    {"Bitte Start-Button drücken, um mit dem Einlesen zu beginnen\n",
     "Please press Button \"Start\" to start collecting data\n"},
    {"Start", "Start"},
    {"Ende", "End"},
    {"Sammeln von Informationen\n", "Collecting data\n"},
    {"Es ist der Fehler 0x80000001 aufgetreten.\n", "Error 0x80000001 has occurred.\n"},
    {"Es ist der Fehler 0x80000002 aufgetreten.\n", "Error 0x80000002 has occurred.\n"},
    {"Das Programm wurde erfolgreich ausgeführt. Die Informationen wurden gespeichert in: ",
     "The program terminated successfully. The information has been stored in: "},
    // Follows entry 6 although its code is the third.
    {"Es ist der Fehler 0x80000003 aufgetreten.\n", "Error 0x80000003 has occurred.\n"},
};
