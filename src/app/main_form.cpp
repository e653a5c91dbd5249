#include "app/main_form.h"

#include "app/argument.h"
#include "link/tool.h"

namespace mirafold::app {

MainForm::MainForm(StartUpControls controls, StartUpServices services,
                   link::SelectionHandlers& selection)
    : c_(controls), s_(services), selection_(selection) {
  c_.label5.onClick([this] { Label5_Click(); });
}

bool MainForm::Form_Load() {
  if (!s_.files.isVisibleFile(link::toolPath(s_.program.programFolder()))) {
    s_.messages.show(std::wstring(link::kToolMissing));
    return false;
  }
  c_.label2.setText(c_.label2.text() + L" (Build " + std::to_wstring(s_.program.revision()) +
                    L") (" + std::wstring(kVersionDate) + L")");
  c_.text1.setText(c_.dir1.path());
  c_.text2.setText(c_.dir2.path());
  selection_.ComposeCommandLine();
  // Its outcome is never looked at; a tool that cannot start now is reported at creation.
  s_.processes.startOnceShown(link::preliminaryRun(s_.program.programFolder()),
                              platform::WindowShow::MinimizedNoActivate);

  const std::wstring argument = s_.program.argumentText();
  return argument.empty() || takeArgumentAsTarget(argument);
}

bool MainForm::takeArgumentAsTarget(const std::wstring& argument) {
  c_.text2.setText(withoutQuotes(argument));
  if (!c_.dir2.setPath(c_.text2.text())) {
    s_.messages.show(std::wstring(kNotAFolder));
    return false;
  }
  c_.frame2.setVisible(false);
  s_.messages.show(std::wstring(kChooseLinkLocation));
  return true;
}

void MainForm::Label5_Click() {
  if (openSendTo_) openSendTo_();
}

}  // namespace mirafold::app
