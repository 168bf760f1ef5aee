// Compare: runs one search with the window's settings, logs the outcome and
// every match, and outlines the matches on the search-in preview.
#include "ElapsedMilliseconds.h"
#include "HelperBrivane.h"
#include "LibraryCalls.h"
#include "Unit1.h"
#include "toolkit/Conversions.h"
#include "toolkit/TEdit.h"
#include "toolkit/TImage.h"
#include "toolkit/TTrackBar.h"

#include <QCheckBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>

#include <cmath>
#include <cstring>

namespace Unit1 {

void PX_CALL StatusCallback(double Progress, std::int32_t, void*) {
  if (!Form1 || !std::isfinite(Progress)) return;
  const double rounded = std::nearbyint(Progress);
  if (rounded < 0 || rounded > 100) return;
  Form1->ProgressBar1->setValue(static_cast<int>(rounded));
  // The event loop does not run while the library works: paint at once.
  Form1->ProgressBar1->repaint();
}

TPXProcessParameters TForm1::CompareParameters() const {
  TPXProcessParameters Parameters;
  std::memset(&Parameters, 0, sizeof Parameters);
  if (RadioButton1->isChecked()) {
    Parameters.CompareType = Variant.ArgbCompareType;
    Parameters.ARGBATolerance = static_cast<std::uint8_t>(Conversions::StrToInt(Edit3->text()));
    Parameters.ARGBRTolerance = static_cast<std::uint8_t>(Conversions::StrToInt(Edit4->text()));
    Parameters.ARGBGTolerance = static_cast<std::uint8_t>(Conversions::StrToInt(Edit5->text()));
    Parameters.ARGBBTolerance = static_cast<std::uint8_t>(Conversions::StrToInt(Edit6->text()));
  }
  if (RadioButton2->isChecked()) {
    Parameters.CompareType = Variant.AhslCompareType;
    Parameters.AHSLATolerance = AhslTolerance(Edit7);
    Parameters.AHSLHTolerance = AhslTolerance(Edit9);
    Parameters.AHSLSTolerance = AhslTolerance(Edit8);
    Parameters.AHSLLTolerance = AhslTolerance(Edit10);
  }
  Parameters.DifferenceTolerance = TrackBar9->Position();
  Parameters.StretchCompare = Variant.StretchCompare ? 1 : 0;
  Parameters.MinimalStretchSize = Variant.MinimalStretchSize;
  Parameters.MaximalStretchSize = Variant.MaximalStretchSize;
  Parameters.StretchResampler = Variant.StretchResampler;
  Parameters.MultipleMatches = 1;
  Parameters.MultiThreadedProcessing = CheckBox1->isChecked() ? -1 : 0;
  Parameters.StatusCallback = &StatusCallback;
  return Parameters;
}

void TForm1::LogAndOutlineMatches(const TPXResult& Results) {
  QImage& canvas = Image1->Canvas();
  QPainter painter(&canvas);
  QPen pen(QColor(255, 0, 0));
  pen.setWidth(5);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(QBrush(QColor(255, 0, 0), Qt::SolidPattern));

  const PPXResultMatches matches = Results.Matches;
  for (std::int32_t i = 0; i < Results.MatchCount; ++i) {
    const TPXResultMatches& PMatch = matches[i];
    Log(QStringLiteral("Found at position: ") + QString::number(PMatch.Position.X) + u'x' +
        QString::number(PMatch.Position.Y) + QStringLiteral(" difference: ") + QString::number(PMatch.Difference));
    const int X = PMatch.Position.X;
    const int Y = PMatch.Position.Y;
    const int W = Variant.OutlineIsWholePicture ? canvas.width() : PMatch.Dimensions.Width;
    const int H = Variant.OutlineIsWholePicture ? canvas.height() : PMatch.Dimensions.Height;
    const QPoint outline[5] = {{X, Y}, {X + W, Y}, {X + W, Y + H}, {X, Y + H}, {X, Y}};
    painter.drawPolyline(outline, 5);
  }
}

void TForm1::Button6Click(QObject*) {
  ProgressBar1->setValue(0);
  TPXProcessParameters Parameters = CompareParameters();
  if (Variant.LogsProcessingNotice) Log(QStringLiteral("Processing... please wait, this can take a while..."));

  TPXResult Results;
  std::int32_t code = PX_OK;
  const auto ProcessingTime = static_cast<std::int32_t>(ElapsedMilliseconds([&] {
    std::memset(&Results, 0, sizeof Results);
    code = LibraryCalls::Call(PexoraDefs::Pexora_Compare, PXObjectSearchIn, PXObjectSearchFor, Parameters, &Results,
                              static_cast<void*>(nullptr));
  }));

  if (code != PX_OK) Log(QStringLiteral("Error while processing, error code: ") + QString::number(code));
  if (!Results.Success) {
    Log(QStringLiteral("No match found."));
    return;
  }
  Log(QStringLiteral("Successful search, match count: ") + QString::number(Results.MatchCount));
  LogAndOutlineMatches(Results);
  Log(QStringLiteral("Processing time: ") + HelperBrivane::mSec2Time(ProcessingTime));
  Image1->repaint();
  Image1->update();
  if (PexoraDefs::Pexora_FreeResult) PexoraDefs::Pexora_FreeResult(&Results);
}

}  // namespace Unit1
