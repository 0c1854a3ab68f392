#pragma once

#include "newsletter/FieldTable.h"

#include <QWidget>
#include <array>
#include <memory>

class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brindlecast {

struct Services;
class FileLock;
class Form2;
class WindowPointer;

/// The main window: the newsletter's fields, the issue date, the look, and the buttons that
/// fill, clear and generate.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Services& services);
    ~Form1() override;

    /// The start-up sequence. Returns false when the program must end without showing the
    /// window (the engine check failed).
    bool Form_Load();
    /// Shows the window centred on the screen, with the focus in the first field.
    void showCentred();

    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton6_Click();

    QLineEdit* Text1(int index) const { return mText1[size_t(index)]; }
    QDateTimeEdit* DateTimePicker1() const { return mDateTimePicker1; }
    WindowPointer& pointer() const { return *mPointer; }
    bool busy() const { return mBusy; }
    /// The preview window, once a generation run has created it.
    Form2* form2() const { return mForm2.get(); }
    /// The selected look: 1 Classic, 2 Executive, 3 Professional, 4 Elegant.
    int selectedLook() const;

signals:
    /// A recipient list file was dropped on the window. Only once something is connected does
    /// the window take such drops; until then it refuses them, as it refuses every other drop.
    void listDropped(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The layout: the window, its buttons, then one builder per frame.
    void buildForm();
    void setUpWindow();
    void buildButtons();
    void buildLookFrame();
    void buildHeaderFrame();
    void buildSenderFrame();
    void buildRecipientFrame();
    void buildFields(FieldFrame which, QGroupBox* frame);
    void makeField(int index, QGroupBox* frame);
    QPushButton* makeButton(const char* name, const char* caption, QRect twips);
    QGroupBox* makeFrame(const char* name, const char* caption, QRect twips);
    void makeLabel(QWidget* frame, const char* name, const char* caption, int left, int top,
                   int width);
    void setKeyboardOrder();
    /// Takes a drag or drop event that carries one list file; false leaves it to the widget.
    bool takeListDrag(QEvent* event);
    /// Chooses the look an arrow key points to from `from`; false for any other key.
    bool moveLook(QRadioButton* from, int key);
    void Text1_Change(int index);
    void DateTimePicker1_Change();
    void setIssueDate(const QDateTime& value);
    void fillFields(bool sample);
    void store(const QString& key, const QString& value);
    void handOver(const QString& wordFile, bool pictureMade, FileLock documentLock);

    Services& mServices;
    std::array<QLineEdit*, FieldCount> mText1{};
    QDateTimeEdit* mDateTimePicker1 = nullptr;
    std::array<QRadioButton*, 4> mOptions{};
    QPushButton* mPushButton2 = nullptr;
    QPushButton* mPushButton3 = nullptr;
    QPushButton* mPushButton6 = nullptr;
    WindowPointer* mPointer = nullptr;
    std::unique_ptr<Form2> mForm2;
    bool mBusy = false;
    bool mStoreFailureShown = false;
};

} // namespace brindlecast
