#include "platform/serial/telnet.h"

namespace serial::telnet {

void Decoder::Feed(const std::uint8_t* data, std::size_t count, Handler& handler) {
  run_.clear();
  auto flush = [&] {
    if (!run_.empty()) handler.Data(run_.data(), run_.size());
    run_.clear();
  };
  auto keep = [this](std::uint8_t b) {
    if (sb_.size() < kMaxSubnegotiation)
      sb_.push_back(b);
    else
      sbOverflow_ = true;
  };
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t b = data[i];
    switch (state_) {
      case kData:
        if (b == IAC)
          state_ = kIac;
        else
          run_.push_back(b);
        break;
      case kIac:
        if (b == IAC) {
          run_.push_back(IAC);
          state_ = kData;
        } else if (b >= WILL && b <= DONT) {
          command_ = b;
          state_ = kOption;
        } else if (b == SB) {
          sb_.clear();
          sbOverflow_ = false;
          state_ = kSb;
        } else {
          state_ = kData;  // NOP, GA and the like carry nothing for us
        }
        break;
      case kOption:
        flush();
        handler.Negotiate(command_, b);
        state_ = kData;
        break;
      case kSb:
        if (b == IAC)
          state_ = kSbIac;
        else
          keep(b);
        break;
      case kSbIac:
        if (b == IAC) {
          keep(IAC);
          state_ = kSb;
        } else if (b == SE) {
          flush();
          if (!sb_.empty() && !sbOverflow_) {
            std::uint8_t option = sb_.front();
            std::vector<std::uint8_t> payload(sb_.begin() + 1, sb_.end());
            handler.Subnegotiation(option, payload);
          }
          sb_.clear();
          state_ = kData;
        } else {
          sb_.clear();  // malformed: drop the sub-negotiation
          state_ = kData;
        }
        break;
    }
  }
  flush();
}

void AppendData(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(data[i]);
    if (data[i] == IAC) out.push_back(IAC);
  }
}

void AppendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t command, std::uint8_t option) {
  out.insert(out.end(), {IAC, command, option});
}

void AppendSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t option,
                          const std::vector<std::uint8_t>& payload) {
  out.insert(out.end(), {IAC, SB, option});
  AppendData(out, payload.data(), payload.size());
  out.insert(out.end(), {IAC, SE});
}

void OptionAgent::Offer(std::vector<std::uint8_t>& out) {
  for (auto o : supportedWill_) {
    AppendNegotiation(out, WILL, o);
    willSent_.insert(o);
  }
  for (auto o : supportedDo_) {
    AppendNegotiation(out, DO, o);
    doSent_.insert(o);
  }
}

void OptionAgent::Answer(std::uint8_t command, std::uint8_t option, std::vector<std::uint8_t>& out) {
  switch (command) {
    case DO:
      if (supportedWill_.count(option)) {
        if (willSent_.insert(option).second) AppendNegotiation(out, WILL, option);
      } else if (wontSent_.insert(option).second) {
        AppendNegotiation(out, WONT, option);
      }
      break;
    case WILL:
      if (supportedDo_.count(option)) {
        if (doSent_.insert(option).second) AppendNegotiation(out, DO, option);
      } else if (dontSent_.insert(option).second) {
        AppendNegotiation(out, DONT, option);
      }
      break;
    case DONT:
      if (willSent_.erase(option)) AppendNegotiation(out, WONT, option);
      break;
    case WONT:
      if (doSent_.erase(option)) AppendNegotiation(out, DONT, option);
      break;
  }
}

}  // namespace serial::telnet
