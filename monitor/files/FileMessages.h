// The texts the setting file windows show, in one place for the windows and their tests.
#pragma once

namespace FileMessages {

constexpr const char kSaveDuringAutoTuning[] =
    "Setting value save cannot performed due to the auto-tuuning of channels. Save the setting after cancelling the auto-tuning.";
constexpr const char kLoadDuringAutoTuning[] =
    "Setting value load cannot performed due to the auto-tuuning of channels. Load the setting after cancelling the auto-tuning.";
constexpr const char kOverwrite[] = "The same file name exists. Do you want to overwrite?";
constexpr const char kNewFileName[] = "Designate a new file name.";

constexpr const char kNotChannelFile[] = "Selected data file is not the channel data file. Select again.";
constexpr const char kNotBlockFile[] = "Selected data file is not the block data file. Select again.";
constexpr const char kNotAllFile[] = "Selected data file is not the all channels data file. Select again.";

constexpr const char kChannelNotFittedCopy[] =
    "This block is not connected to the PLM-870. The data of this channel cannot be saved or copied.";
constexpr const char kChannelNotFittedSend[] =
    "This block is not connected to the PLM-870. The data of this channel cannot be copied.";
constexpr const char kBlockAbsentCopy[] =
    "This block is not connected to the HRV-600. The data of this block cannot be saved or copied.";
constexpr const char kBlockAbsentSend[] = "This block is not connected to the HRV-600. The data of this block cannot be copied.";

constexpr const char kSendToChannel[] = "Saves the data to the designated channel. Is it OK?";
constexpr const char kSendToBlock[] = "Saves the data to the designated block. Is it OK?";
constexpr const char kSendToAll[] = "Saves the data to the all channels. Is it OK?";
constexpr const char kDataChanging[] = "Data changing now.";

// Message line texts of the failures a file or a value can cause.
constexpr const char kFileUnreadable[] = "The selected data file could not be read. Nothing has been changed.";
constexpr const char kFileUtf16[] =
    "The selected data file is saved as Unicode (UTF-16), which the program does not read. Save it as UTF-8 or ANSI "
    "and select it again. Nothing has been changed.";
constexpr const char kFileNotSaved[] = "The data file could not be saved. An existing file of that name is unchanged.";
constexpr const char kValueDoesNotFit[] =
    "A value of the work area does not fit this channel. Nothing has been changed or sent.";
constexpr const char kLinkNotRunning[] =
    "The communication with the HRV-600 is not running. The data cannot be sent now.";

constexpr const char kFactoryAutoTuning[] = "There is a channel during auto tuning.";
constexpr const char kFactoryQuestion[] = "Do you execute data initialiqation?";
constexpr const char kFactoryQuestionTitle[] = "Data initialiqation execution confirmation.";

} // namespace FileMessages
