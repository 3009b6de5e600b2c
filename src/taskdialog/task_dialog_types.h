#pragma once

#include <cstdint>
#include <initializer_list>

// The task dialog's enumerations and set types, shared by the system path and the emulation window.
namespace kestrune::taskdialog {

// A set of the members of a small enumeration, one bit per member.
template <typename E>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> members) {
    for (E member : members) Insert(member);
  }

  constexpr bool Has(E member) const { return (bits_ & Bit(member)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint32_t Bits() const { return bits_; }
  constexpr EnumSet& Insert(E member) {
    bits_ |= Bit(member);
    return *this;
  }
  constexpr EnumSet& Remove(E member) {
    bits_ &= ~Bit(member);
    return *this;
  }
  friend constexpr bool operator==(EnumSet, EnumSet) = default;

 private:
  static constexpr std::uint32_t Bit(E member) { return std::uint32_t{1} << static_cast<unsigned>(member); }

  std::uint32_t bits_ = 0;
};

enum TCommonButton { cbOK, cbYes, cbNo, cbCancel, cbRetry, cbClose };
using TCommonButtons = EnumSet<TCommonButton>;

enum TTaskDialogPosition { dpScreenCenter, dpOwnerFormCenter };

enum TTaskDialogIcon { tiBlank, tiWarning, tiQuestion, tiError, tiInformation, tiNotUsed, tiShield };

enum TTaskDialogFooterIcon { tfiBlank, tfiWarning, tfiQuestion, tfiError, tfiInformation, tfiShield };

enum TTaskDialogOption {
  doHyperlinks,
  doCommandLinks,
  doCommandLinksNoIcon,
  doExpandedDefault,
  doExpandedFooter,
  doAllowMinimize,
  doVerifyChecked,
  doProgressBar,
  doProgressBarMarquee,
  doTimer,
  doNoDefaultRadioButton,
  doAllowDialogCancel,
};
using TTaskDialogOptions = EnumSet<TTaskDialogOption>;

enum TTaskDialogProgressState { psNormal, psError, psPaused };

// Button ids: the common buttons close with their dialog results, custom button i with 100 + i, and
// radio button i reports 200 + i.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kFirstCustomButtonId = 100;
inline constexpr int kFirstRadioButtonId = 200;

constexpr int CustomButtonId(int index) { return kFirstCustomButtonId + index; }
constexpr int RadioButtonId(int index) { return kFirstRadioButtonId + index; }

}  // namespace kestrune::taskdialog
