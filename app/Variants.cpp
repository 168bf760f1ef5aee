#include "Variant.h"

TVariant::TVariant(const TVariantSettings& settings)
    : TVariantSettings(settings),
      Button4Top(88 + RightColumnShift),
      Button5Top(119 + RightColumnShift),
      Button6Top(243 + RightColumnShift),
      Label13Top(157 + RightColumnShift),
      TrackBar9Top(172 + RightColumnShift),
      Label14Top(201 + RightColumnShift),
      CheckBox1Top(220 + RightColumnShift) {}

namespace Variants {

const TVariant& SeekBasic() {
  static const TVariant v{TVariantSettings{
      .Caption = QStringLiteral("Pexora Library Relative Tutorial"),
      .Edit1Text = QStringLiteral("SearchIn2.jpg"),
      .Edit2Text = QStringLiteral("SearchFor2.jpg"),
      .TrackBar9Position = 150,
      .RightColumnShift = 0,
      .HasResampler = false,
      .InformationText = QStringLiteral(
          "This tutorial demonstrates performing a relative ARGB and AHSL search. This means that the search "
          "for bitmap is compared with an allowed difference value. Setting a \"DifferenceTolerance\" value "
          "will allow a concrete pixel count to differ completly. ARGB is much slower then exact mode and "
          "AHSL is the slowest."),
      .PictureExtensions = {QStringLiteral("jpeg"), QStringLiteral("jpg")},
      .ExtendedPrecision = true,
      .ProcessType = PX_PROCESS_TYPE_NONE,
      .CreateDimensions = {0, 0},
      .ResamplerFromComboBox = false,
      .LogsLoadingTime = false,
      .SearchForPreviewByToolkit = false,
      .ArgbCompareType = PX_COMPARE_TYPE_RELATIVE_ARGB,
      .AhslCompareType = PX_COMPARE_TYPE_RELATIVE_AHSL,
      .StretchCompare = false,
      .MinimalStretchSize = {0, 0},
      .MaximalStretchSize = {0, 0},
      .StretchResampler = 0,
      .LogsProcessingNotice = false,
      .OutlineIsWholePicture = false,
  }};
  return v;
}

const TVariant& SeekScaled() {
  static const TVariant v{TVariantSettings{
      .Caption = QStringLiteral("Pexora Library Relative Alpha Stretch Tutorial"),
      .Edit1Text = QStringLiteral("SearchInAlphaStretched.PNG"),
      .Edit2Text = QStringLiteral("SearchForAlpha.png"),
      .TrackBar9Position = 45,
      .RightColumnShift = 0,
      .HasResampler = false,
      .InformationText = QStringLiteral(
          "This tutorial demonstrates performing a relative ARGB and AHSL search with alpha channel with "
          "searching for differenet dimensions of the search for picture in the search in picture. This means "
          "that the search for bitmap is compared with an allowed difference value and transparency of the "
          "search for picture and search is made for a variable dimension of the search for picture. Setting a "
          "\"DifferenceTolerance\" value will allow a concrete pixel count to differ completly. Search for "
          "bitmap for alpha channel compare should be PNG with alpha channel transparency. This is the most "
          "slow search mode. ARGB is much slower then exact mode and AHSL is the slowest."),
      .PictureExtensions = {QStringLiteral("jpeg"), QStringLiteral("jpg"), QStringLiteral("PNG")},
      .ExtendedPrecision = false,
      .ProcessType = PX_PROCESS_TYPE_NONE,
      .CreateDimensions = {0, 0},
      .ResamplerFromComboBox = false,
      .LogsLoadingTime = false,
      .SearchForPreviewByToolkit = true,
      .ArgbCompareType = PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
      .AhslCompareType = PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
      .StretchCompare = true,
      .MinimalStretchSize = {20, 20},
      .MaximalStretchSize = {100, 100},
      .StretchResampler = PX_RESAMPLER_BILINEAR,
      .LogsProcessingNotice = true,
      .OutlineIsWholePicture = false,
  }};
  return v;
}

const TVariant& SeekFiltered() {
  static const TVariant v{TVariantSettings{
      .Caption = QStringLiteral("Pexora Library Resample Tutorial"),
      .Edit1Text = QStringLiteral("SearchInResample.jpg"),
      .Edit2Text = QStringLiteral("SearchForResample.jpg"),
      .TrackBar9Position = 100,
      .RightColumnShift = 45,
      .HasResampler = true,
      .InformationText = QStringLiteral(
          "This tutorial demonstrates comparing two pictures which have different dimensions in \"relative\" "
          "mode. This means that the search for bitmap is compared with an allowed difference value. Setting a "
          "\"DifferenceTolerance\" value will allow a concrete pixel count to differ completly. To allow for the "
          "two pictures to differ in dimensions, we pre-process the pictures (resample to the same size). ARGB "
          "is much slower then exact mode and AHSL is the slowest."),
      .PictureExtensions = {QStringLiteral("jpeg"), QStringLiteral("jpg")},
      .ExtendedPrecision = false,
      .ProcessType = PX_PROCESS_TYPE_RESAMPLE,
      .CreateDimensions = {100, 100},
      .ResamplerFromComboBox = true,
      .LogsLoadingTime = true,
      .SearchForPreviewByToolkit = false,
      .ArgbCompareType = PX_COMPARE_TYPE_RELATIVE_ARGB,
      .AhslCompareType = PX_COMPARE_TYPE_RELATIVE_AHSL,
      .StretchCompare = false,
      .MinimalStretchSize = {0, 0},
      .MaximalStretchSize = {0, 0},
      .StretchResampler = 0,
      .LogsProcessingNotice = false,
      .OutlineIsWholePicture = true,
  }};
  return v;
}

}  // namespace Variants
