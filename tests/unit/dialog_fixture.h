// A fake Windows with an application object named like the executable, the
// output folder present, and a scripted user that must use up its script.
#pragma once

#include <string>
#include <vector>

#include "fake_fixture.h"
#include "framework/winapp.h"

class DialogTest : public FakeTest {
protected:
    DialogTest() {
        app.m_strAppName = "gathrix";
        fake.files().MakeDirectory("C:\\Tools\\CollectInfo");
    }
    ~DialogTest() override { EXPECT_TRUE(fake.ui().User().Done()) << "the user's script was not used up"; }

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
    std::string Text(int templateId, int id) { return fake.ui().Control(templateId, id).text; }
    bool Enabled(int templateId, int id) { return fake.ui().Control(templateId, id).enabled; }

    // The icons a dialog was given, in order: "big" or "small".
    std::vector<std::string> IconsSet(int templateId) {
        std::vector<std::string> icons;
        for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::SendMessageA))
            if (call.args[0] == "dialog " + std::to_string(templateId) && call.args[1] == "0x80")
                icons.push_back(call.args[2] == "1" ? "big" : "small");
        return icons;
    }

    CWinApp app;
};
