// The window unit: the main window TForm1 shared by the three programs, the
// search-object records that Create, Free Object and Compare work on, and the
// progress callback that the search library calls during Compare.
#pragma once

#include "Variant.h"
#include "toolkit/TOpenDialog.h"

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class AnchorKeeper;
class TEdit;
class TImage;
class TTrackBar;

namespace Unit1 {

class TForm1 : public QWidget {
 public:
  // Builds the window from its layout, hidden, and runs FormCreate.
  explicit TForm1(const TVariant& variant);
  ~TForm1() override;

  const TVariant& Variant;

  QGroupBox* GroupBox1;
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10, *Label11, *Label12,
      *Label13, *Label14;
  QLabel* Label15 = nullptr;  // seekfiltered only
  TEdit* Edit1;
  QPushButton* Button2;
  TEdit* Edit2;
  QPushButton* Button3;
  QGroupBox* GroupBox2;
  QPlainTextEdit* Memo1;
  QPushButton *Button4, *Button5, *Button6;
  QFrame* Panel1;
  TImage* Image1;
  QFrame* Panel2;
  TImage* Image2;
  QProgressBar* ProgressBar1;
  QRadioButton *RadioButton1, *RadioButton2;
  TEdit *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10;
  TTrackBar *TrackBar1, *TrackBar2, *TrackBar3, *TrackBar4, *TrackBar5, *TrackBar6, *TrackBar7, *TrackBar8, *TrackBar9;
  QCheckBox* CheckBox1;
  QComboBox* ComboBox1 = nullptr;  // seekfiltered only
  QPushButton* Button1;
  TOpenDialog OpenDialog1;

  // Appends one line to the log.
  void Log(const QString& line);

  void FormCreate(QObject* Sender);
  void Button1Click(QObject* Sender);
  void Button2Click(QObject* Sender);
  void Button3Click(QObject* Sender);
  void Button4Click(QObject* Sender);
  void Button5Click(QObject* Sender);
  void Button6Click(QObject* Sender);

  // The tolerance pairs' handlers, each connected to its control.
  void TrackBar1Change(QObject*) { SliderToEdit(0); }
  void TrackBar2Change(QObject*) { SliderToEdit(1); }
  void TrackBar3Change(QObject*) { SliderToEdit(2); }
  void TrackBar4Change(QObject*) { SliderToEdit(3); }
  void TrackBar5Change(QObject*) { SliderToEdit(4); }
  void TrackBar6Change(QObject*) { SliderToEdit(5); }
  void TrackBar7Change(QObject*) { SliderToEdit(6); }
  void TrackBar8Change(QObject*) { SliderToEdit(7); }
  void TrackBar9Change(QObject* Sender);
  void Edit3Exit(QObject*) { EditToSlider(0); }
  void Edit4Exit(QObject*) { EditToSlider(1); }
  void Edit5Exit(QObject*) { EditToSlider(2); }
  void Edit6Exit(QObject*) { EditToSlider(3); }
  void Edit7Exit(QObject*) { EditToSlider(4); }
  void Edit9Exit(QObject*) { EditToSlider(5); }
  void Edit8Exit(QObject*) { EditToSlider(6); }
  void Edit10Exit(QObject*) { EditToSlider(7); }

 private:
  using THandler = void (TForm1::*)(QObject* Sender);

  // The eight tolerance pairs: ARGB A, R, G, B, then AHSL A, H, S, L, each
  // with the handlers its edit and its slider run.
  struct TolerancePair {
    TEdit* TForm1::*Edit;
    TTrackBar* TForm1::*Slider;
    bool Hundredths;
    THandler Exit;
    THandler Change;
  };
  static const TolerancePair TolerancePairs[8];

  void CreateComponents();
  void SetTabOrder();
  void ConnectHandlers();
  void SliderToEdit(int pair);
  void EditToSlider(int pair);
  // An AHSL edit's number in the program's precision; a text that does not
  // convert, or whose value does not fit a double, raises the conversion error.
  template <typename T>
  T AhslNumber(const TEdit* edit) const;
  double AhslTolerance(const TEdit* edit) const;

  void CreateSearchObject(TPXObject& record, const TEdit* edit, TImage* preview, bool previewByToolkit);
  void FreeSearchObject(TPXObject& record, TImage* preview);

  // Compare's parameters as the window's controls set them.
  TPXProcessParameters CompareParameters() const;
  // Logs each match and outlines it on the search-in picture, in the
  // library's order.
  void LogAndOutlineMatches(const TPXResult& Results);

  AnchorKeeper* anchors_;
};

// The program's one main window.
extern TForm1* Form1;

// The search-in and search-for objects and the create-object parameters.
extern TPXObject PXObjectSearchIn;
extern TPXObject PXObjectSearchFor;
extern TPXCreateObjectParameters PXCreateObjectParameters;

// Receives the library's progress reports during Compare and shows them on
// the progress bar.
void PX_CALL StatusCallback(double Progress, std::int32_t StatusType, void* User);

}  // namespace Unit1
