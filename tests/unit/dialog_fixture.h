// A fake Windows with an application object named like the executable, the
// output folder present, and a scripted user that must use up its script.
#pragma once

#include <string>

#include "fake_fixture.h"
#include "framework/winapp.h"

class DialogTest : public FakeTest {
protected:
    DialogTest() {
        app.m_strAppName = "gathrix";
        fake.MakeDirectory("C:\\Tools\\CollectInfo");
    }
    ~DialogTest() override { EXPECT_TRUE(fake.user.Done()) << "the user's script was not used up"; }

    // Runs a mode's dialog as the program does: the main window while it runs.
    template <class Dialog>
    gx::INT_PTR RunAsMainWindow() {
        Dialog dialog;
        app.m_pMainWnd = &dialog;
        gx::INT_PTR result = dialog.DoModal();
        app.m_pMainWnd = nullptr;
        return result;
    }

    // Texts of a running dialog's controls.
    std::string Text(int templateId, int id) { return fake.Control(templateId, id).text; }
    bool Enabled(int templateId, int id) { return fake.Control(templateId, id).enabled; }

    CWinApp app;
};
