// What differs between the three programs. Everything else is one window.
#pragma once

#define PX_NO_PROTOTYPES
#include <pexora/pexora.h>

#include <QString>
#include <QStringList>

struct TVariantSettings {
  // Window.
  QString Caption;
  QString Edit1Text;
  QString Edit2Text;
  int TrackBar9Position;
  // How far Create, Free Object, Compare and the difference and thread
  // controls under them stand lower than in the common layout.
  int RightColumnShift;
  bool HasResampler;  // Label15 and ComboBox1
  QString InformationText;
  // Extensions the toolkit's own picture loading has decoders for.
  QStringList PictureExtensions;

  // Tolerance edits: AHSL texts are converted and multiplied in 80-bit
  // extended precision (the 32-bit program) instead of double.
  bool ExtendedPrecision;

  // Create.
  std::int32_t ProcessType;
  TPXDimensions CreateDimensions;
  bool ResamplerFromComboBox;
  bool LogsLoadingTime;
  bool SearchForPreviewByToolkit;

  // Compare.
  std::int32_t ArgbCompareType;
  std::int32_t AhslCompareType;
  bool StretchCompare;
  TPXDimensions MinimalStretchSize;
  TPXDimensions MaximalStretchSize;
  std::int32_t StretchResampler;
  bool LogsProcessingNotice;
  bool OutlineIsWholePicture;  // outline size from the picture in Image1
};

struct TVariant : TVariantSettings {
  explicit TVariant(const TVariantSettings& settings);

  // The tops of the controls in the right-hand column, with the shift.
  int Button4Top, Button5Top, Button6Top;
  int Label13Top, TrackBar9Top, Label14Top, CheckBox1Top;
};

namespace Variants {
const TVariant& SeekBasic();
const TVariant& SeekScaled();
const TVariant& SeekFiltered();
}  // namespace Variants
