#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>

// The shared library offers the twelve functions and nothing of its insides.
TEST(Exports, LibraryExportsTheTwelveFunctionsOnly) {
  std::unique_ptr<void, int (*)(void*)> lib(dlopen(PORTLINK_SO, RTLD_NOW | RTLD_LOCAL), dlclose);
  ASSERT_TRUE(lib) << dlerror();
  for (const char* name : {"DLLInitialize", "SetupSYSInfo", "SetupTTYInfo", "FindCommPort",
                           "OpenCommPort", "CloseCommPort", "SendBlockSync", "SendBlockAsync",
                           "AbortSendBlock", "TransferBlockEnd", "WriteLogMessage", "AnalizeCmd"})
    EXPECT_NE(dlsym(lib.get(), name), nullptr) << name;
  EXPECT_EQ(dlsym(lib.get(), "_ZN8portlink13CommandLengthEh"), nullptr);
  EXPECT_EQ(dlsym(lib.get(), "_ZN8platform13DataFolderEv"), nullptr);
}
