#include "platform/win32/ui/jpeg_picture.h"

#include <wincodec.h>

#include "base/win32/handles.h"

namespace mirafold::win32 {
namespace {

struct ResourceBytes {
  BYTE* data = nullptr;
  DWORD size = 0;
};

// Resources live as long as the module; nothing to free.
ResourceBytes findResource(HINSTANCE instance, int resource) {
  HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(resource), RT_RCDATA);
  HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
  void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) return {};
  return {static_cast<BYTE*>(data), ::SizeofResource(instance, found)};
}

}  // namespace

base::win32::UniqueBitmap loadJpegResource(HINSTANCE instance, int resource, int width,
                                           int height) {
  const ResourceBytes bytes = findResource(instance, resource);
  if (!bytes.data || width <= 0 || height <= 0) return {};

  const auto apartment = base::win32::joinApartment();
  base::win32::ComPtr<IWICImagingFactory> factory;
  base::win32::ComPtr<IWICStream> stream;
  base::win32::ComPtr<IWICBitmapDecoder> decoder;
  base::win32::ComPtr<IWICBitmapFrameDecode> frame;
  base::win32::ComPtr<IWICBitmapScaler> scaler;
  base::win32::ComPtr<IWICFormatConverter> converter;
  const auto w = static_cast<UINT>(width);
  const auto h = static_cast<UINT>(height);
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, base::voidSlot(factory))) ||
      FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(bytes.data, bytes.size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) ||
      FAILED(factory->CreateBitmapScaler(scaler.put())) ||
      FAILED(scaler->Initialize(frame.get(), w, h, WICBitmapInterpolationModeFant)) ||
      FAILED(factory->CreateFormatConverter(converter.put())) ||
      // 24 bits: a static control shows it as it is, where it would copy one with alpha.
      FAILED(converter->Initialize(scaler.get(), GUID_WICPixelFormat24bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return {};
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first, as WIC gives them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  base::win32::UniqueBitmap bitmap(
      ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return {};
  const UINT stride = (w * 3 + 3) & ~3u;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * h, static_cast<BYTE*>(bits)))) {
    return {};
  }
  return bitmap;
}

}  // namespace mirafold::win32
