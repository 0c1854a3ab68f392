/* Brindlecast main window skin.
   Fonts and geometry belong to the program. This sheet only paints, and any
   padding stays small enough for text to fit the fixed 23 px fields. */

QWidget#Form1 { background-color: #eef1f5; color: #1f2a36; }
#Form1 QLabel { color: #2d3a48; background: transparent; }
#Form1 QLabel:disabled, #Form1 QRadioButton:disabled { color: #98a2ad; }

/* The title background matches the window, so the rounded border looks as if
   it runs behind the title. */
#Form1 QGroupBox {
    background-color: #f7f9fb;
    border: 1px solid #c9d2dc;
    border-radius: 6px;
    margin-top: 8px;
}
#Form1 QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 10px;
    padding: 0 5px;
    color: #24496e;
    background-color: #eef1f5;
}

#Form1 QLineEdit, #Form1 QDateTimeEdit {
    background-color: #ffffff;
    color: #1f2a36;
    border: 1px solid #b7c2ce;
    border-radius: 3px;
    padding: 0 4px;
    selection-background-color: #2f6fb3;
    selection-color: #ffffff;
}
#Form1 QLineEdit:hover, #Form1 QDateTimeEdit:hover { border-color: #8fa3b8; }
/* The focus ring is one pixel wider than the normal border. The padding gives
   that pixel back, so the text does not shift sideways when focus arrives. */
#Form1 QLineEdit:focus, #Form1 QDateTimeEdit:focus {
    border: 2px solid #3b7bc0;
    padding: 0 3px;
    background-color: #fbfdff;
}
#Form1 QLineEdit:disabled, #Form1 QDateTimeEdit:disabled {
    background-color: #eceff2;
    color: #8a949e;
}

#Form1 QDateTimeEdit::up-button, #Form1 QDateTimeEdit::down-button,
#Form1 QDateTimeEdit::drop-down {
    width: 16px;
    border-left: 1px solid #d3dae2;
    background-color: #f1f4f7;
}
#Form1 QDateTimeEdit::up-button { subcontrol-position: top right; }
#Form1 QDateTimeEdit::down-button { subcontrol-position: bottom right; }
/* The arrows are border triangles because the program reads this sheet from
   disk at run time and cannot count on image files next to it. The side
   borders repeat the button colour because Qt does not mitre transparent
   sides, and the arrow would come out as a bar. */
#Form1 QDateTimeEdit::up-arrow, #Form1 QDateTimeEdit::down-arrow {
    width: 0;
    height: 0;
    border-left: 4px solid #f1f4f7;
    border-right: 4px solid #f1f4f7;
}
#Form1 QDateTimeEdit::up-arrow { border-bottom: 4px solid #4a5a6b; }
#Form1 QDateTimeEdit::down-arrow { border-top: 4px solid #4a5a6b; }

#Form1 QRadioButton { color: #2d3a48; background: transparent; spacing: 6px; }
#Form1 QRadioButton::indicator {
    width: 12px;
    height: 12px;
    border: 1px solid #8a99a8;
    border-radius: 7px;
    background-color: #ffffff;
}
#Form1 QRadioButton::indicator:hover { border-color: #2f6fb3; }
#Form1 QRadioButton::indicator:checked {
    border-color: #2f6fb3;
    background-color: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.5, fx: 0.5, fy: 0.5,
        stop: 0 #2f6fb3, stop: 0.45 #2f6fb3, stop: 0.55 #ffffff, stop: 1 #ffffff);
}

#Form1 QPushButton {
    color: #1f2a36;
    border: 1px solid #a9b5c2;
    border-radius: 4px;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #e3e8ee);
}
#Form1 QPushButton:hover {
    border-color: #7f93a8;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #edf2f7);
}
#Form1 QPushButton:pressed {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #d6dde5, stop: 1 #e8edf2);
}
#Form1 QPushButton:focus { border-color: #2f6fb3; }
#Form1 QPushButton:disabled { color: #98a2ad; border-color: #c9d0d8; background-color: #eef1f4; }

/* Only this button produces a document. The accent colour sets it apart from
   the two housekeeping buttons. */
#Form1 QPushButton#PushButton6 {
    color: #ffffff;
    border: 1px solid #1f5590;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #4a8ad0, stop: 1 #2a66a8);
}
#Form1 QPushButton#PushButton6:hover {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #5a98dc, stop: 1 #3273b8);
}
#Form1 QPushButton#PushButton6:pressed {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #245b96, stop: 1 #336fb0);
}
#Form1 QPushButton#PushButton6:focus { border-color: #123f70; }
#Form1 QPushButton#PushButton6:disabled {
    color: #e4ebf2;
    border-color: #9fb4ca;
    background-color: #a9bfd6;
}
