#include "platform/com/com_object.h"

#include <gtest/gtest.h>

#include "platform/com/com_ptr.h"
#include "platform/com/stream.h"

namespace {

class IShape : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("3b9c1f0e-52a4-4d7e-9a61-0c2f8e5d7b10");
  using BaseInterface = IUnknown;
  virtual int Corners() = 0;
};

class ISquare : public IShape {
 public:
  static constexpr GUID kUuid = MakeGuid("3b9c1f0e-52a4-4d7e-9a61-0c2f8e5d7b11");
  using BaseInterface = IShape;
  virtual int Side() = 0;
};

class IColoured : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("3b9c1f0e-52a4-4d7e-9a61-0c2f8e5d7b12");
  using BaseInterface = IUnknown;
  virtual int Colour() = 0;
};

class Square final : public ComObject<ISquare, IColoured> {
 public:
  explicit Square(bool* destroyed) : destroyed_(destroyed) {}
  ~Square() override { *destroyed_ = true; }
  int Corners() override { return 4; }
  int Side() override { return 3; }
  int Colour() override { return 7; }

 private:
  bool* destroyed_;
};

TEST(ComObject, LastReleaseFreesTheObject) {
  bool destroyed = false;
  ISquare* raw = nullptr;
  {
    ComPtr<Square> square = MakeComObject<Square>(&destroyed);
    ASSERT_TRUE(square);
    EXPECT_EQ(square->AddRef(), 2u);
    raw = square.Get();
  }
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(raw->Release(), 0u);
  EXPECT_TRUE(destroyed);
}

TEST(ComObject, AnswersForListedInterfacesAndTheirBasesOnly) {
  bool destroyed = false;
  ComPtr<Square> square = MakeComObject<Square>(&destroyed);
  ComPtr<IShape> shape;
  ASSERT_EQ(square.As(&shape), S_OK);
  EXPECT_EQ(shape->Corners(), 4);
  ComPtr<IColoured> coloured;
  ASSERT_EQ(shape.As(&coloured), S_OK);
  EXPECT_EQ(coloured->Colour(), 7);

  // Every route to IUnknown gives the same pointer: that is how identity is compared.
  ComPtr<IUnknown> from_shape;
  ComPtr<IUnknown> from_colour;
  ASSERT_EQ(shape.As(&from_shape), S_OK);
  ASSERT_EQ(coloured.As(&from_colour), S_OK);
  EXPECT_EQ(from_shape.Get(), from_colour.Get());

  ComPtr<IStream> stream;
  EXPECT_EQ(square.As(&stream), E_NOINTERFACE);
  EXPECT_FALSE(stream);
  void* out = &destroyed;
  EXPECT_EQ(square->QueryInterface(UuidOf<IStream>(), &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(square->QueryInterface(UuidOf<IShape>(), nullptr), E_POINTER);

  // One reference each for square, shape, coloured, from_shape, from_colour.
  EXPECT_EQ(square->AddRef(), 6u);
  square->Release();
}

TEST(ComPtr, CountsCopiesMovesAndHandOvers) {
  bool destroyed = false;
  ComPtr<Square> first = MakeComObject<Square>(&destroyed);
  Square* raw = first.Get();
  ComPtr<Square> copy = first;
  ComPtr<Square> moved = std::move(copy);
  EXPECT_FALSE(copy);
  EXPECT_EQ(raw->AddRef(), 3u);
  raw->Release();

  Square* handed = moved.Detach();
  EXPECT_FALSE(moved);
  ComPtr<Square> adopted;
  adopted.Attach(handed);  // takes over the count without adding one
  EXPECT_EQ(raw->AddRef(), 3u);
  raw->Release();

  Square* out = nullptr;
  ASSERT_EQ(adopted.CopyTo(&out), S_OK);
  out->Release();

  first = nullptr;
  EXPECT_FALSE(destroyed);
  adopted.Reset();
  EXPECT_TRUE(destroyed);
}

TEST(ComPtr, OutParameterReleasesWhatItHeld) {
  bool first_gone = false;
  bool second_gone = false;
  ComPtr<Square> held = MakeComObject<Square>(&first_gone);
  ComPtr<Square> other = MakeComObject<Square>(&second_gone);
  ASSERT_EQ(other.CopyTo(held.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_TRUE(first_gone);
  EXPECT_EQ(held, other);
  other.Reset();
  EXPECT_FALSE(second_gone);
  held.Reset();
  EXPECT_TRUE(second_gone);
}

}  // namespace
