#include "app/main_form.h"

#include "app/argument.h"
#include "link/tool.h"

namespace mirafold::app {

MainForm::MainForm(MainControls& controls, Services& services)
    : c_(controls),
      s_(services),
      commandLine_(controls, services),
      linkCreation_(controls, services),
      typedPathEntry_(controls, services, commandLine_),
      about_(services.program, services.messages, services.processes) {
  c_.dir1.onChange([this] { commandLine_.Dir1_Change(); });
  c_.dir2.onChange([this] { commandLine_.Dir2_Change(); });
  c_.drive1.onChange([this] { commandLine_.Drive1_Change(); });
  c_.drive2.onChange([this] { commandLine_.Drive2_Change(); });
  c_.check1.onClick([this] { commandLine_.Check1_Click(); });
  c_.command1.onClick([this] { linkCreation_.Command1_Click(); });
  c_.timer1.onTick([this] { linkCreation_.Timer1_Timer(); });
  c_.text1.onKeyPress([this](wchar_t key) { typedPathEntry_.Text1_KeyPress(key); });
  c_.command4.onClick([this] { typedPathEntry_.Command4_Click(); });
  c_.text2.onKeyPress([this](wchar_t key) { typedPathEntry_.Text2_KeyPress(key); });
  c_.command5.onClick([this] { typedPathEntry_.Command5_Click(); });
  c_.label7.onClick([this] { about_.Label7_Click(); });
  c_.label3.onClick([this] { about_.Label3_Click(); });
  c_.label5.onClick([this] { Label5_Click(); });
}

bool MainForm::Form_Load() {
  if (!s_.files.isPlainFile(link::toolPath(s_.program.programFolder()))) {
    s_.messages.show(std::wstring(link::kToolMissing));
    return false;
  }
  c_.label2.setText(c_.label2.text() + L" (Build " + std::to_wstring(s_.program.revision()) + L")" +
                    L" (2018.10.7)");
  c_.text1.setText(c_.dir1.path());
  c_.text2.setText(c_.dir2.path());
  commandLine_.ComposeCommandLine();
  // Its outcome is never looked at; a tool that cannot start now is reported at creation.
  s_.processes.start(link::preliminaryRun(s_.program.programFolder()),
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
