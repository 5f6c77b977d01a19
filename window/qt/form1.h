// Form1, the one window: 25 number fields in eleven groups, "Show hint" and "Just Go!".
#pragma once

#include <QWidget>
#include <array>
#include <filesystem>

#include "language/words.h"
#include "runtime/os.h"
#include "skin/settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace orbskin::window {

class Form1 : public QWidget {
    Q_OBJECT

  public:
    // The window working in `folder`: an empty path is the current folder.
    // Runs in `folder` (empty: the current one), reading and writing files through `os`.
    explicit Form1(runtime::Os& os, std::filesystem::path folder = {}, QWidget* parent = nullptr);

    // The fields' texts exactly as shown and the state of "Show hint".
    [[nodiscard]] skin::SkinSettings settings() const;

    // Moves the window to its start-up place on its screen, using its outer size as far as it is
    // known now.
    void place_on_screen();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void create_groups();
    void create_controls();
    void set_focus_order();
    void fit_font();
    void place_again_once_framed(int attempts_left);

    // Runs the generate command in the window's folder and shows its one message.
    void just_go();

    runtime::Os& os_;
    // Our own words, in the user's language; the captions and pack's messages stay as they are.
    language::Words words_{language::system_preferences()};
    std::filesystem::path folder_;
    std::array<QLineEdit*, skin::kSettingsFields.size()> fields_{};
    QCheckBox* show_hint_ = nullptr;
    QPushButton* just_go_ = nullptr;
    bool placed_with_frame_ = false;
};

}  // namespace orbskin::window
