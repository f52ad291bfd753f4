// The port selection dialog: the user types the number of the port used for cloning (1..256), or
// the full path of a serial device. A number is stored into the settings' "ComPort" and clears a
// stored device path; a device path must name an existing serial (character) device and is stored
// into "ComDevice" (see cmcPortList for how both select the device that cloning opens).
//
// The edit field takes at most 4 characters while its text is a number; a text whose first
// non-blank character is '/' is a device path and may be as long as a path can be.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qx {

class indEnviron;

class cuiPortDialog : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog over the settings, laid out in the owner's font and centred on the owner.
    explicit cuiPortDialog(QWidget* owner, indEnviron& environ);
    explicit cuiPortDialog(QWidget* owner);  // over Environ()

    // Builds the dialog, shows it modally and returns when it is closed; true when a new port was
    // stored.
    static bool Open(QWidget* owner);
    static bool Open(QWidget* owner, indEnviron& environ);

    QLabel* Notice() const { return notice_; }
    QLineEdit* Edit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // The value of a number text: blanks around it trimmed, decimal digits up to the first other
    // character; no digits gives 0. Values above 256 are reported as 257.
    static int PortNumberOf(const QString& text);
    // Whether the text is a device path (its first non-blank character is '/').
    static bool IsDevicePathText(const QString& text);

private:
    void Confirm();
    void RefuseInput(const std::string& text);
    void PlaceOn(QWidget* owner);

    indEnviron& environ_;
    QLabel* notice_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace qx
