#include "platform/com/com_object.h"

#include <gtest/gtest.h>

#include "platform/com/com_ptr.h"

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

  // One reference each for square, shape, coloured, from_shape, from_colour.
  EXPECT_EQ(square->AddRef(), 6u);
  square->Release();
  for (ComPtr<IUnknown>* pointer : {&from_shape, &from_colour}) pointer->Reset();
  shape.Reset();
  coloured.Reset();
  EXPECT_FALSE(destroyed);
  square.Reset();
  EXPECT_TRUE(destroyed);
}

}  // namespace
