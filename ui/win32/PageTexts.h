#pragma once
// The texts of the wizard's formatted labels, in the markup of
// FormattedText: one line per line on screen, "<b>" lines bold, "<li>" lines
// bulleted.
namespace quillmere::win32 {

inline constexpr const char* IntroText =
    "Use this wizard to extract all data from your Sage Line 50 accounts ready to import\n"
    "into online accounting for conversion. This wizard only extracts data, it does not\n"
    "write any changes to your Sage data. However for peace of mind we recommend\n"
    "that you backup your Sage accounts data before running this wizard.\n"
    "\n"
    "Just follow the easy steps and the wizard will create a file that you can simply Email.\n"
    "\n"
    "Please click 'Next' to begin....";

inline constexpr const char* VersionText =
    "First we need to determine what version of Sage Line 50 (or Instant) you are currently "
    "running.\n"
    "\n"
    "If you are unsure then you can find out what version you have by doing the following;\n"
    "\n"
    "<li>Log in to Sage Line 50 or Instant\n"
    "<li>Select 'Help' from the main menu\n"
    "<li>Then select the 'About...' option\n"
    "<li>On the 'General' tab it should show the version number\n"
    "\n"
    "Once you have the version number then please select it from the list below.\n"
    "\n"
    "<b>Please make sure you select the right version otherwise the wizard will not work.</b>";

inline constexpr const char* LoginText =
    "First, lets select the company we wish to use to extract the data from. If you have\n"
    "more than one company then you will be able to select from a list. If you have only\n"
    "a single company then the wizard will just use that.";

inline constexpr const char* FinishText =
    "<b>Thats it!</b>\n"
    "\n"
    "Just click on Finish and the data will be extracted and placed into an archive file.\n"
    "Then you will be automatically taken to a web page to complete the process, after\n"
    "the wizard has finsihed submitting the file.";

inline constexpr const char* UrlHelpText =
    "If the program doesn't automatically take you to the website you can copy and paste\n"
    "the following into your browser";

inline constexpr const char* CompanySelectPrompt = "Please click '...' button to select company";

}  // namespace quillmere::win32
