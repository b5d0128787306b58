// The application object: start-up trace and the choice of mode.
#pragma once

#include "framework/winapp.h"

// Whole-text, case-sensitive search: the program path counts too.
constexpr const char kImportMarker[] = "CORVANE NET PC SOFTWARE";
constexpr const char kVersionText[] = "V 2.1.0003.3402-REL";

bool HasImportMarker(const char* commandLine);

class CGathrixApp : public CWinApp {
public:
    CGathrixApp() = default;
    gx::BOOL InitInstance() override;
};

// The two modes' dialogs, each run modally with no parent.
void RunCollectionDialog();
void RunImportDialog();
