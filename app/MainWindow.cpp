// TForm1: the layout of the main window, start-up, Exit and the file choosers.
#include "PexoraDefs.h"
#include "Unit1.h"
#include "toolkit/Anchors.h"
#include "toolkit/ErrorBox.h"
#include "toolkit/SingleBorderFrame.h"
#include "toolkit/TEdit.h"
#include "toolkit/TImage.h"
#include "toolkit/TTrackBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace Unit1 {

TForm1* Form1 = nullptr;

namespace {

const QString kFontFamily = QStringLiteral("Tahoma");

QFont WindowFont(bool bold) {
  if (!QFontDatabase::hasFamily(kFontFamily))
    QFont::insertSubstitutions(
        kFontFamily, {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
  QFont font(kFontFamily);
  font.setPixelSize(11);
  font.setBold(bold);
  return font;
}

enum class Font { Inherited, Regular };

template <typename T, typename... Args>
T* Place(QWidget* parent, int left, int top, int width, int height, Font font, Args&&... args) {
  T* w = new T(std::forward<Args>(args)..., parent);
  w->setGeometry(left, top, width, height);
  if (font == Font::Regular) w->setFont(WindowFont(false));
  return w;
}

// A label that sizes itself to its text.
QLabel* AutoLabel(QWidget* parent, int left, int top, Font font, const QString& text) {
  QLabel* l = Place<QLabel>(parent, left, top, 0, 13, font, text);
  l->adjustSize();
  return l;
}

// A label of fixed size with its text centred.
QLabel* FixedLabel(QWidget* parent, int left, int top, int width, int height, const QString& text) {
  QLabel* l = Place<QLabel>(parent, left, top, width, height, Font::Regular, text);
  l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  return l;
}

TTrackBar* Slider(QWidget* parent, int left, int top, int width, int height, int max, int tick, int position) {
  auto* s = new TTrackBar(parent);
  s->setGeometry(left, top, width, height);
  s->setRange(0, max);
  s->setTickInterval(tick);
  s->setValue(position);
  return s;
}

QFrame* LoweredPanel(QWidget* parent, int left, int top) {
  auto* p = new QFrame(parent);
  p->setGeometry(left, top, 253, 253);
  p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  p->setLineWidth(1);
  return p;
}

}  // namespace

const TForm1::TolerancePair TForm1::TolerancePairs[8] = {
    {&TForm1::Edit3, &TForm1::TrackBar1, false, &TForm1::Edit3Exit, &TForm1::TrackBar1Change},
    {&TForm1::Edit4, &TForm1::TrackBar2, false, &TForm1::Edit4Exit, &TForm1::TrackBar2Change},
    {&TForm1::Edit5, &TForm1::TrackBar3, false, &TForm1::Edit5Exit, &TForm1::TrackBar3Change},
    {&TForm1::Edit6, &TForm1::TrackBar4, false, &TForm1::Edit6Exit, &TForm1::TrackBar4Change},
    {&TForm1::Edit7, &TForm1::TrackBar5, true, &TForm1::Edit7Exit, &TForm1::TrackBar5Change},
    {&TForm1::Edit9, &TForm1::TrackBar6, true, &TForm1::Edit9Exit, &TForm1::TrackBar6Change},
    {&TForm1::Edit8, &TForm1::TrackBar7, true, &TForm1::Edit8Exit, &TForm1::TrackBar7Change},
    {&TForm1::Edit10, &TForm1::TrackBar8, true, &TForm1::Edit10Exit, &TForm1::TrackBar8Change},
};

TForm1::TForm1(const TVariant& variant)
    : QWidget(nullptr, Qt::Window), Variant(variant), anchors_(new AnchorKeeper(this)) {
  Form1 = this;
  setWindowTitle(Variant.Caption);
  setFont(WindowFont(true));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  new SingleBorderFrame(this, QSize(653, 695));
  CreateComponents();
  SetTabOrder();
  ConnectHandlers();
  FormCreate(this);
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::CreateComponents() {
  const TVariant& v = Variant;
  GroupBox1 = Place<QGroupBox>(this, 0, 0, 653, 660, Font::Inherited, QStringLiteral(" Options: "));
  QWidget* g = GroupBox1;
  Label1 = AutoLabel(g, 20, 28, Font::Regular, QStringLiteral("Search in picture file name:"));
  Label2 = AutoLabel(g, 20, 55, Font::Regular, QStringLiteral("Search for picture file name:"));
  Label3 = AutoLabel(g, 20, 213, Font::Inherited, QStringLiteral("Search in picture:"));
  Label4 = AutoLabel(g, 288, 213, Font::Inherited, QStringLiteral("Search for picture:"));
  Label5 = AutoLabel(g, 92, 93, Font::Regular, QStringLiteral("A:"));
  Label6 = AutoLabel(g, 92, 122, Font::Regular, QStringLiteral("R:"));
  Label7 = AutoLabel(g, 92, 151, Font::Regular, QStringLiteral("G:"));
  Label8 = AutoLabel(g, 92, 180, Font::Regular, QStringLiteral("B:"));
  Label9 = AutoLabel(g, 356, 93, Font::Regular, QStringLiteral("A:"));
  Label10 = AutoLabel(g, 356, 122, Font::Regular, QStringLiteral("H:"));
  Label11 = AutoLabel(g, 356, 151, Font::Regular, QStringLiteral("S:"));
  Label12 = AutoLabel(g, 356, 180, Font::Regular, QStringLiteral("L:"));
  Label13 = FixedLabel(g, 543, v.Label13Top, 102, 13, QStringLiteral("Difference tolerance:"));
  Label14 = FixedLabel(g, 547, v.Label14Top, 99, 13, QStringLiteral("0"));
  if (v.HasResampler) Label15 = FixedLabel(g, 556, 88, 79, 13, QStringLiteral("Resampler:"));

  Edit1 = Place<TEdit>(g, 162, 25, 433, 21, Font::Regular, v.Edit1Text);
  Button2 = Place<QPushButton>(g, 601, 23, 27, 25, Font::Inherited, QStringLiteral("..."));
  Edit2 = Place<TEdit>(g, 162, 52, 433, 21, Font::Regular, v.Edit2Text);
  Button3 = Place<QPushButton>(g, 601, 50, 27, 25, Font::Inherited, QStringLiteral("..."));

  GroupBox2 = Place<QGroupBox>(g, 8, 491, 637, 136, Font::Inherited, QStringLiteral(" Log: "));
  Memo1 = Place<QPlainTextEdit>(GroupBox2, 8, 16, 619, 112, Font::Regular);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setTabChangesFocus(true);

  Button4 = Place<QPushButton>(g, 560, v.Button4Top, 75, 25, Font::Regular, QStringLiteral("Create"));
  Button5 = Place<QPushButton>(g, 560, v.Button5Top, 75, 25, Font::Regular, QStringLiteral("Free Object"));
  Button6 = Place<QPushButton>(g, 560, v.Button6Top, 75, 25, Font::Regular, QStringLiteral("Compare"));

  Panel1 = LoweredPanel(g, 21, 232);
  Image1 = new TImage(Panel1);
  Image1->setGeometry(1, 1, 251, 251);
  Panel2 = LoweredPanel(g, 288, 232);
  Image2 = new TImage(Panel2);
  Image2->setGeometry(1, 1, 251, 251);

  ProgressBar1 = Place<QProgressBar>(g, 8, 633, 637, 16, Font::Inherited);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);

  RadioButton1 = Place<QRadioButton>(g, 22, 92, 55, 17, Font::Inherited, QStringLiteral("ARGB"));
  RadioButton2 = Place<QRadioButton>(g, 288, 92, 49, 17, Font::Inherited, QStringLiteral("AHSL"));
  RadioButton1->setChecked(true);

  const QString fifteen = QStringLiteral("15");
  const QString layoutText = QStringLiteral("Edit3");
  Edit3 = Place<TEdit>(g, 109, 90, 56, 21, Font::Regular, fifteen);
  TrackBar1 = Slider(g, 171, 88, 102, 27, 100, 10, 15);
  TrackBar2 = Slider(g, 171, 117, 102, 27, 100, 10, 15);
  Edit4 = Place<TEdit>(g, 109, 119, 56, 21, Font::Regular, fifteen);
  TrackBar3 = Slider(g, 171, 146, 102, 27, 100, 10, 15);
  Edit5 = Place<TEdit>(g, 109, 148, 56, 21, Font::Regular, fifteen);
  TrackBar4 = Slider(g, 171, 175, 102, 27, 100, 10, 15);
  Edit6 = Place<TEdit>(g, 109, 177, 56, 21, Font::Regular, fifteen);
  Edit7 = Place<TEdit>(g, 373, 90, 56, 21, Font::Regular, layoutText);
  Edit8 = Place<TEdit>(g, 373, 148, 56, 21, Font::Regular, layoutText);
  Edit9 = Place<TEdit>(g, 373, 119, 56, 21, Font::Regular, layoutText);
  TrackBar5 = Slider(g, 435, 88, 102, 27, 100, 10, 50);
  TrackBar6 = Slider(g, 435, 117, 102, 27, 100, 10, 50);
  TrackBar7 = Slider(g, 435, 146, 102, 27, 100, 10, 50);
  TrackBar8 = Slider(g, 435, 175, 102, 27, 100, 10, 50);
  Edit10 = Place<TEdit>(g, 373, 177, 56, 21, Font::Regular, layoutText);
  TrackBar9 = Slider(g, 546, v.TrackBar9Top, 99, 29, 1000, 100, v.TrackBar9Position);
  CheckBox1 = Place<QCheckBox>(g, 556, v.CheckBox1Top, 89, 17, Font::Regular, QStringLiteral("MultiThread"));
  CheckBox1->setChecked(true);
  if (v.HasResampler) {
    ComboBox1 = Place<QComboBox>(g, 547, 106, 94, 21, Font::Regular);
    ComboBox1->setEditable(false);
    ComboBox1->setMaxVisibleItems(16);
    ComboBox1->addItems({QStringLiteral("Box, pulse, Fourier window, 1st order (constant) b-spline"),
                         QStringLiteral("Mitchell & Netravali's two-param cubic filter"),
                         QStringLiteral("Bilinear filter"), QStringLiteral("4th order (cubic) b-spline"),
                         QStringLiteral("Catmull-Rom spline, Overhauser spline"), QStringLiteral("Lanczos3 filter")});
    ComboBox1->setCurrentIndex(2);
  }

  Button1 = Place<QPushButton>(this, 570, 666, 75, 25, Font::Inherited, QStringLiteral("Exit"));

  anchors_->Anchor(GroupBox1, akLeft | akTop | akRight | akBottom);
  anchors_->Anchor(Edit1, akLeft | akTop | akRight);
  anchors_->Anchor(Edit2, akLeft | akTop | akRight);
  for (QWidget* w : {Button2, Button3, Button4, Button5, Button6}) anchors_->Anchor(w, akTop | akRight);
  anchors_->Anchor(GroupBox2, akLeft | akRight | akBottom);
  anchors_->Anchor(Memo1, akLeft | akTop | akRight | akBottom);
  anchors_->Anchor(Button1, akRight | akBottom);
}

void TForm1::SetTabOrder() {
  // Labels, panels, pictures and the progress bar take no focus.
  for (QWidget* w : std::initializer_list<QWidget*>{Panel1, Panel2, Image1, Image2, ProgressBar1, GroupBox1, GroupBox2})
    w->setFocusPolicy(Qt::NoFocus);
  std::vector<QWidget*> order{Edit1,     Button2,      Edit2,        Button3,   Memo1,     Button4,   Button5,
                              Button6,   RadioButton1, RadioButton2, Edit3,     TrackBar1, TrackBar2, Edit4,
                              TrackBar3, Edit5,        TrackBar4,    Edit6,     Edit7,     Edit8,     Edit9,
                              TrackBar5, TrackBar6,    TrackBar7,    TrackBar8, Edit10,    TrackBar9, CheckBox1};
  if (ComboBox1) order.push_back(ComboBox1);
  order.push_back(Button1);
  for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void TForm1::ConnectHandlers() {
  auto click = [this](QPushButton* button, THandler handler) {
    connect(button, &QPushButton::clicked, this,
            [this, button, handler] { ErrorBox::Guarded([&] { (this->*handler)(button); }); });
  };
  click(Button1, &TForm1::Button1Click);
  click(Button2, &TForm1::Button2Click);
  click(Button3, &TForm1::Button3Click);
  click(Button4, &TForm1::Button4Click);
  click(Button5, &TForm1::Button5Click);
  click(Button6, &TForm1::Button6Click);

  for (const TolerancePair& pair : TolerancePairs) {
    TEdit* edit = this->*pair.Edit;
    TTrackBar* slider = this->*pair.Slider;
    edit->OnExit = [this, edit, handler = pair.Exit] { (this->*handler)(edit); };
    slider->OnChange = [this, slider, handler = pair.Change] { (this->*handler)(slider); };
  }
  TrackBar9->OnChange = [this] { TrackBar9Change(TrackBar9); };
}

void TForm1::Log(const QString& line) { Memo1->appendPlainText(line); }

void TForm1::FormCreate(QObject*) {
  if (PexoraDefs::PexoraLibraryLoaded) {
    Log(QStringLiteral("Pexora.dll loaded."));
    Log(windowTitle() + QStringLiteral(" ready."));
  } else {
    Log(QStringLiteral("Error loading Pexora.dll"));
  }
  TrackBar5Change(nullptr);
  TrackBar6Change(nullptr);
  TrackBar7Change(nullptr);
  TrackBar8Change(nullptr);
  TrackBar9Change(nullptr);
  QMessageBox info(QMessageBox::Information, QStringLiteral("Information"), Variant.InformationText, QMessageBox::Ok);
  info.exec();
}

void TForm1::Button1Click(QObject*) { close(); }

void TForm1::Button2Click(QObject*) {
  if (OpenDialog1.Execute(this)) Edit1->setText(OpenDialog1.FileName);
}

void TForm1::Button3Click(QObject*) {
  if (OpenDialog1.Execute(this)) Edit2->setText(OpenDialog1.FileName);
}

}  // namespace Unit1
