// The scanning thread reads settings and walks the catalogue while the user
// interface changes them; run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "ConfigTestUtil.h"
#include "support/TempDir.h"

TEST(ConfigThreads, ScanningReadsWhileTheUserInterfaceChangesThings) {
    CTempDir dir;
    CNewsSettings settings;
    settings.SetDefaultSoundLookup([] { return std::string(); });
    settings.SetFileName(dir.Path());
    settings.SetAutoSave();
    settings.Load();
    const std::string catalogueText = "1 A\r\n1 1 A1 http://a/1\r\n1 2 A2 http://a/2\r\n"
                                      "1 B\r\n1 1 B1 http://b/1\r\n0 C\r\n1 1 C1 http://c/1\r\n";
    WriteText(dir.File("Data/sources.txt"), catalogueText);
    CSourceCatalogue catalogue;
    catalogue.SetFileName(dir.Path());
    catalogue.Load(0);

    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    int scans = 0;
    std::thread scanner([&] {
        for (; !done.load() || scans < 20; ++scans) {
            {
                CRecursiveLockGuard guard(settings);
                settings.ResetEnumeration();
                const int count = settings.CountUrls();
                int seen = 0;
                for (const auto& url : Drain([&](std::string& v) { return settings.GetNextUrl(v); }))
                    seen += !url.empty();
                if (seen != count) ++failures;
                const auto groups = Drain([&](std::string& v) { return settings.GetNextKeyword(v); });
                for (size_t i = 1; i < groups.size(); ++i) failures += groups[i].empty();
            }
            if (settings.GetPollPeriod() <= 0) ++failures;
            settings.GetFlag(SETTING_CHECK_ONLY_TITLE);
            settings.GetProxyServerName();

            // Under the lock every page walked is the catalogue's own.
            CRecursiveLockGuard guard(catalogue);
            for (CNewsSource* s = catalogue.FirstSource(true); s; s = catalogue.NextSource(true))
                for (CNewsCategory* c = s->FirstCategory(true); c; c = s->NextCategory(true))
                    failures += catalogue.GetDescriptorFor(c->m_strUrl, 0) != s->GetName();
            catalogue.CountSelected();
            std::this_thread::yield();
        }
    });

    for (int i = 0; i < 60; ++i) {
        settings.AddKeyword("+k" + std::to_string(i % 5));
        settings.AddUrl("http://u" + std::to_string(i % 7) + ".example/");
        settings.SetPollPeriod(60 + i);
        settings.SetFlag(SETTING_CHECK_ONLY_TITLE, i & 1);
        settings.SetProxyServerName(i & 1 ? "proxy" : ".");
        if (i % 10 == 9) {
            settings.ClearKeywords();
            settings.ClearUrls();
        }
        {
            CRecursiveLockGuard guard(catalogue);
            catalogue.FindSource("A")->SetSelected(2, i & 1);
            catalogue.FindSource("C")->SetEnabled(i & 1);
            catalogue.Save();
        }
        if (i % 15 == 14) {
            WriteText(dir.File("Data/sourceupdate.txt"), catalogueText);
            catalogue.MergeUpdate();
        }
    }
    done = true;
    scanner.join();
    EXPECT_EQ(failures.load(), 0);
}
