// Create and Free Object: the two search objects and their previews.
#include "ElapsedMilliseconds.h"
#include "FreeImageLoader.h"
#include "HelperBrivane.h"
#include "LibraryCalls.h"
#include "Unit1.h"
#include "toolkit/PictureFile.h"
#include "toolkit/TEdit.h"
#include "toolkit/TImage.h"

#include <QComboBox>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace Unit1 {

TPXObject PXObjectSearchIn{};
TPXObject PXObjectSearchFor{};
TPXCreateObjectParameters PXCreateObjectParameters{};

namespace {

// The name buffer that the window owns for a record, or null once it was
// released: after a release, FileName keeps the released address, which must
// never be read or released again.
const TPXChar*& OwnedName(const TPXObject& record) {
  static const TPXChar* searchIn = nullptr;
  static const TPXChar* searchFor = nullptr;
  return &record == &PXObjectSearchIn ? searchIn : searchFor;
}

QString HandleText(const void* handle) {
  return QString::number(static_cast<qulonglong>(reinterpret_cast<std::uintptr_t>(handle)), 16)
      .toUpper()
      .rightJustified(2 * sizeof(std::uint32_t), u'0');
}

}  // namespace

void TForm1::CreateSearchObject(TPXObject& record, const TEdit* edit, TImage* preview, bool previewByToolkit) {
  std::unique_ptr<QImage> bitmap;
  std::memset(&record, 0, sizeof record);

  // A zero-filled buffer of 2n + 2 bytes holding the n UTF-16 units of the name.
  const QString name = edit->text();
  auto* buffer = static_cast<TPXChar*>(std::calloc(static_cast<std::size_t>(name.size()) + 1, sizeof(TPXChar)));
  if (!buffer) throw std::bad_alloc();
  std::memcpy(buffer, name.utf16(), static_cast<std::size_t>(name.size()) * sizeof(TPXChar));
  record.FileName = buffer;
  OwnedName(record) = buffer;

  std::memset(&PXCreateObjectParameters, 0, sizeof PXCreateObjectParameters);
  PXCreateObjectParameters.ProcessType = Variant.ProcessType;
  PXCreateObjectParameters.Dimensions = Variant.CreateDimensions;
  if (Variant.ResamplerFromComboBox) PXCreateObjectParameters.Resampler = ComboBox1->currentIndex();

  std::int32_t code = PX_OK;
  const std::int64_t loadingTime = ElapsedMilliseconds(
      [&] { code = LibraryCalls::Call(PexoraDefs::Pexora_CreateObject, &record, PXCreateObjectParameters); });

  if (code != PX_OK) {
    Log(QStringLiteral("Error creating object, error code: ") + QString::number(code));
    return;
  }
  Log(QStringLiteral("Created object: $") + HandleText(record.ImageObject) + u' ' +
      QString::number(record.OriginalDimensions.Width) + u'x' + QString::number(record.OriginalDimensions.Height));
  if (Variant.LogsLoadingTime) Log(QStringLiteral("Loading time: ") + HelperBrivane::mSec2Time(loadingTime));

  if (previewByToolkit) {
    preview->SetPicture(PictureFile::LoadFromFile(edit->text(), Variant.PictureExtensions));
  } else {
    FreeImageLoader::FreeImageLoadImage(edit->text(), bitmap, this);
    preview->SetPicture(bitmap ? *bitmap : QImage());
  }
}

void TForm1::Button4Click(QObject*) {
  CreateSearchObject(PXObjectSearchIn, Edit1, Image1, false);
  CreateSearchObject(PXObjectSearchFor, Edit2, Image2, Variant.SearchForPreviewByToolkit);
}

void TForm1::FreeSearchObject(TPXObject& record, TImage* preview) {
  const std::int32_t code = LibraryCalls::Call(PexoraDefs::Pexora_FreeObject, &record);
  if (code != PX_OK) {
    Log(QStringLiteral("Error freeing object, error code: ") + QString::number(code));
    return;
  }
  const TPXChar*& owned = OwnedName(record);
  QString name;
  if (owned && record.FileName == owned) {
    name = QString::fromUtf16(owned);
    std::free(const_cast<TPXChar*>(owned));
    owned = nullptr;
  }
  Log(QStringLiteral("Freed object: ") + name);
  preview->SetPicture(QImage());
}

void TForm1::Button5Click(QObject*) {
  FreeSearchObject(PXObjectSearchIn, Image1);
  FreeSearchObject(PXObjectSearchFor, Image2);
}

}  // namespace Unit1
