#include "chipdef/chipdef.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "live_model.h"

namespace {

// The registers by category: index, key and, in parentheses, a non-zero default ("="), the
// access and the product.
const char* kRegisterTable = R"(
system: 0000 PRODUCT_0 (ro, 77K50); 0002 PRODUCT_1 (=0040, ro, 77K50); 0004 CFG_PIN_STATUS
clock: 000C PLL_0; 000E PLL_1; 0010 PLL_2; 0012 PLL_3 (=0001); 0014 MISC_CONFIG (=04D1); 0016 SOFT_RESET (wo, no default); 0018 SYSTEM_CLOCK
lcd: 0030 LCD_CLOCK; 0032 LCD_CONFIG; 0034 LCD_COMMAND (77K50); 0036 LCD_PARAM (77K50); 0038 LCD_STATUS (ro, 77K50); 003A LCD_FRAME_XFER (77K50); 003C LCD_XFER (77K50)
lcdcfg: 0040 LCD_HT (=0001); 0042 LCD_HDP; 0044 LCD_HDPS; 0046 LCD_HP; 0048 LCD_HPS; 004A LCD_VT; 004C LCD_VDP; 004E LCD_VDPS; 0050 LCD_VP; 0052 LCD_VPS; 0054 LCD_SERIAL (=0001, 77K50); 0056 LCD_PARALLEL (=0400, 77K50)
extended: 0068 LCD_VSYNC_OUT
host: 0180 HOST_CONFIG; 0182 MEM_SADDR_0; 0184 MEM_SADDR_1; 0186 HWC_WR_ADDR_OFF; 0188 HWC_WR_HSIZE; 018A HWC_WR_VSIZE; 018C MEM_ACCESS_PORT; 018E HWC_RAW_STATUS (ro); 0190 HWC_IRQ_CONTROL; 0192 HWC_STATUS; 0194 MEM_WR_ADDR_OFF; 0196 MEM_WR_ADDR_W; 0198 VOUT_CONFIG
display: 0200 DISPLAY_MODE_0; 0202 DISPLAY_MODE_1; 0204 OVERLAY_ALPHA; 0206 BG_COLOR; 0208 ALPHA_RATIO (=8888); 020C PIP1_OVERLAY_KEY; 020E PIP2_OVERLAY_KEY; 0210 ALPHA_BLEND1_KEY; 0212 ALPHA_BLEND2_KEY; 0214 ALPHA_BLEND3_KEY; 0216 ALPHA_BLEND4_KEY; 0218 MAIN1_X_START; 021A MAIN1_Y_START; 0220 MAIN2_X_START; 0222 MAIN2_Y_START; 0228 PIP1_X_START; 022A PIP1_Y_START; 022C PIP1_X_END; 022E PIP1_Y_END; 0230 PIP2_X_START; 0232 PIP2_Y_START; 0234 PIP2_X_END; 0236 PIP2_Y_END; 0238 MAIN_SCROLL_SA_0; 023A MAIN_SCROLL_SA_1; 023C MAIN_SCROLL_EA_0 (=FFFE); 023E MAIN_SCROLL_EA_1 (=000F); 0240 MAIN1_SADDR_0; 0242 MAIN1_SADDR_1; 0244 MAIN1_STRIDE; 0246 MAIN1_HORZ_SIZE; 0248 MAIN1_VERT_SIZE; 024A MAIN2_SADDR_0; 024C MAIN2_SADDR_1; 024E MAIN2_STRIDE; 0250 MAIN2_HORZ_SIZE; 0252 MAIN2_VERT_SIZE
pip1: 0260 PIP1_SCALING; 0262 PIP1_HORZ_SCALE; 0264 PIP1_VERT_SCALE; 0266 PIP1_SCALER_PORT; 0268 PIP1_SCALER_COEF; 026E PIP1_SCALER_CTRL; 0270 PIP1_SCROLL_SA_0; 0272 PIP1_SCROLL_SA_1; 0274 PIP1_SCROLL_EA_0 (=FFFC); 0276 PIP1_SCROLL_EA_1 (=000F); 0278 PIP1_SADDR_0; 027A PIP1_SADDR_1; 027C PIP1_STRIDE; 027E PIP1_HORZ_SIZE; 0280 PIP1_VERT_SIZE; 0282 PIP1_PSEUDO
pip2: 02A0 PIP2_SCALING; 02A2 PIP2_HORZ_SCALE; 02A4 PIP2_VERT_SCALE; 02A6 PIP2_SCALER_PORT; 02A8 PIP2_SCALER_COEF; 02AE PIP2_SCALER_CTRL; 02B0 PIP2_SCROLL_SA_0; 02B2 PIP2_SCROLL_SA_1; 02B4 PIP2_SCROLL_EA_0 (=FFFC); 02B6 PIP2_SCROLL_EA_1 (=000F); 02B8 PIP2_SADDR_0; 02BA PIP2_SADDR_1; 02BC PIP2_STRIDE; 02BE PIP2_HORZ_SIZE; 02C0 PIP2_VERT_SIZE; 02C2 PIP2_PAN_AREA_A (77K50); 02C4 PIP2_PAN_AREA_B (77K50); 02C6 PIP2_PAN_AREA_1 (77K50); 02C8 PIP2_PAN_AREA_2 (77K50); 02CA PIP2_PAN_AREA_3 (77K50); 02CC PIP2_PAN_AREA_4 (77K50); 02CE PIP2_PAN_DELTA (77K50)
gpio: 0300 GPIO_CONFIG_0; 0302 GPIO_CONFIG_1; 0304 GPIO_INPUT_0; 0306 GPIO_INPUT_1; 0308 GPIO_PULLDOWN_0 (=FFFF); 030A GPIO_PULLDOWN_1 (=00FF); 030C GPIO_STATUS_0; 030E GPIO_STATUS_1; 0310 GPIO_POS_EDGE_0; 0312 GPIO_POS_EDGE_1; 0314 GPIO_NEG_EDGE_0; 0316 GPIO_NEG_EDGE_1; 0318 GPIO_IRQ_0; 031A GPIO_IRQ_1
lut: 0400 PIP2LUT_COUNTER; 0402 PIP2LUT_DATAPORT; 0500 LCDLUT_COUNTER; 0502 LCDLUT_DATAPORT
irq: 0A00 IRQ_STATUS (ro); 0A02 IRQ_CONTROL_0; 0A04 IRQ_CONTROL_1
)";

// The features by register (or "code" for program settings, "span" for values spread over
// several registers) in document order: key as written, bits, product.
const char* kFeatureTable = R"(
0000: revcode[15:8] (77K50)
0002: prodcode[15:0] (77K50)
0004: hiovdd[15], piovdd[14], giovdd[13], cnf2[2], cnf1[1], cnf0[0]
000C: lcounter[14:8], mdivider[5:0]
000E: hcp[12:8], v[5:4], vc[3:0]
0010: hlock[15], x2[14], hg[13], oscs[12], rs[11:8], cp[4:0]
0012: clkiCtrl[8], pllControl[0]
0014: parPd[14] (77K50), parDir[13] (77K50), lcdBypass[12] (77K50), lcdbypassmode[11:8] (77K50), reserved[15:8] (77Q41), vndp[7], mempowerSave[6], pullupDown[4] (77K50), bypassChip[3] (77K50), reserved[4:3] (77Q41), powerSave[0]
0016: softReset[15:0]
0018: sysclkDiv[1:0], sysclkDivlist[1:0]
0030: serclkDiv[10:8] (77K50), serclkDivlist[10:8] (77K50), reserved[10:8] (77Q41), pclkDiv[4:0], pclkDivlist[4:0]
0032: reserved[15:10], p1drdyPol[9], fpcs1Pol[8] (77K50), fpshiftPol[7], rgbdatawidth[6:4], panelType[1:0] (77K50)
code: panelType (77Q41), saddrBias, chipid, chipname, chipdesc, cfgdesc, baseaddr, adapter, fastcycle, checkmemStatus, checkhwcStatus, burstmemPort, regaddr, memaddr, regoffset, memoffset, bufsize, resetduringinit, mgeSigtype[4:2], mgeSigtype2[4:2], mgeDbw[6:5], mgeDbw2[6:5], mgeintPol[7], mgeCs2rd[1:0], mgeCs2wr[3:2], mgeRd2cs[5:4], mgeWr2cs[7:6], mgeRdwait[3:0], mgeWrwait[7:4], mgeb2bWait[3:0], mgeb2bCshigh[4], mgeAbw[6:5], usbrndBus[0], mgeCfgf[5:4], regwrite, clki, pllclk, pllclkSrc, inclk, sysclk, sysclkSrc, pclk, pclkSrc, serclk (77K50), serclkSrc (77K50), bpp, main1autostride, main2autostride, pip1autostride, pip2autostride, width, height, lcdseq, dataWidth, dataformat
0034: lcdcmd[15:0] (77K50)
0036: lcdparam[15:0] (77K50)
0038: lcdStatus[0] (77K50)
003A: lcdTrigger[0] (77K50)
003C: reserved[9:8] (77K50), lcdPolinv[7] (77K50), reserved[0] (77K50)
0040: ht[6:0]
0042: hdp[8:0]
0044: hdps[9:0]
0046: hpp[7], hpw[6:0]
0048: hps[9:0]
004A: vt[9:0]
004C: vdp[9:0]
004E: vdps[9:0]
0050: vpp[7], reserved[3], vpw[2:0]
0052: vps[9:0]
0054: reserved[8] (77K50), lcdSertype[7:5] (77K50), lcdSerdir[4] (77K50), lcdSerphase[1] (77K50), lcdSerpol[0] (77K50)
0056: fpvin1Pin[15] (77K50), fpvin1Pol[14] (77K50), fpvin1Pulldown[10] (77K50), lcdVsync[7] (77K50), lcdPartype[6] (77K50), lcdparCppin[5:4] (77K50), lcdParfmt[3:0] (77K50)
0068: lcdvsyncWidth[15:8], lcdvsyncPos[7:0]
0180: hwcReset[15], datatype[7:5] (77K50), datatype[7] (77Q41), reserved[6:5] (77Q41), dataswap[4], mirror[3], rotate[2:1], rotateList[2:1], hwc[0]
span: saddr, mainscrSaddr, mainscrEaddr, main1Saddr, main2Saddr, pip1scrSaddr, pip1scrEaddr, pip1Saddr, pip2scrSaddr, pip2scrEaddr, pip2Saddr, gpioConfig, gpioInput, gpioPulldown, gpioStatus, gpioPosedge, gpioNegedge, gpioirqStatus
0182: saddrLSB[15:1], memreadWrite[0]
0184: memAccess[15], saddrMSB[3:0]
0186: memStride[11:1]
0188: memWidth[9:1]
018A: memHeight[9:0]
018C: memPort[15:0]
018E: memwriteRaw[4], memreadRaw[3], hwcoverWriteraw[2], hwctimeOutraw[1], hwccompleteraw[0]
0190: memwriteIrq[4], memreadIrq[3], hwcoverWriteirq[2], hwctimeOutirq[1], hwccompleteirq[0]
0192: memwriteStatus[4], memreadStatus[3], hwcoverwritestat[2], hwctimeoutstatus[1], hwccompletestat[0]
0194: memrectAddroff[11:1]
0196: memrectWidth[11:1]
0198: voutRate[15:12], voutDelay[9:0]
0200: lcdReset[7], lcdlutBypass[5], pip2lutBypass[4], lcdlutAddrclr[1], pip2lutAddrclr[0]
0202: portStatus[15:13] (77K50), portStatus[13] (77Q41), port[12:10] (77K50), port[10] (77Q41), videoInvert[9], blank[8], layerMode[6:5], mainSelect[4], pip2[2], pip1[1], main[0]
0204: alpha4[11], alpha3[10], alpha2[9], alpha1[8], alphaMode[7], pip2Overlay[2], pip1Overlay[1]
0206: bgRed[15:11], bgGreen[10:5], bgBlue[4:0]
0208: alpha4Ratio[15:12], alpha3Ratio[11:8], alpha2Ratio[7:4], alpha1Ratio[3:0]
020C: pip1Red[15:11], pip1Green[10:5], pip1Blue[4:0]
020E: pip2Red[15:11], pip2Green[10:5], pip2Blue[4:0]
0210: alpha1Red[15:11], alpha1Green[10:5], alpha1Blue[4:0]
0212: alpha2Red[15:11], alpha2Green[10:5], alpha2Blue[4:0]
0214: alpha3Red[15:11], alpha3Green[10:5], alpha3Blue[4:0]
0216: alpha4Red[15:11], alpha4Green[10:5], alpha4Blue[4:0]
0218: main1Xstart[9:0]
021A: main1Ystart[9:0]
0220: main2Xstart[9:0]
0222: main2Ystart[9:0]
0228: pip1Xstart[9:0]
022A: pip1Ystart[9:0]
022C: pip1Xend[9:0]
022E: pip1Yend[9:0]
0230: pip2Xstart[9:0]
0232: pip2Ystart[9:0]
0234: pip2Xend[9:0]
0236: pip2Yend[9:0]
0238: mainscrsaddrLSB[15:1]
023A: mainscrsaddrMSB[3:0]
023C: mainscreaddrLSB[15:1]
023E: mainscreaddrMSB[3:0]
0240: main1saddrLSB[15:1]
0242: main1saddrMSB[3:0]
0244: main1Vdoubl[13], main1Hdoubl[12], main1Stride[11:1]
0246: main1Width[9:0]
0248: main1Height[9:0]
024A: main2saddrLSB[15:1]
024C: main2saddrMSB[3:0]
024E: main2Vdoubl[13], main2Hdoubl[12], main2Stride[11:1]
0250: main2Width[9:0]
0252: main2Height[9:0]
0260: pip1edge[15], pip1edgeEffect[10:8], pip1Vscaling[7], pip1Vfilter[5], pip1Hscaling[3], pip1Hfilter[1]
0262: pip1Hscale[12:0]
0264: pip1Vscale[12:0]
0266: pip1Counter[12:8], pip1Coef[4], reserved[1], pip1countreset[0]
0268: pip1coefPort[7:0]
026E: pip1scalReset[15], reserved[12], pip1scalFormat[7] (77K50)
0270: pip1scrsaddrLSB[15:2]
0272: pip1scrsaddrMSB[3:0]
0274: pip1screaddrLSB[15:2]
0276: pip1screaddrMSB[3:0]
0278: pip1saddrLSB[15:1]
027A: pip1saddrMSB[3:0]
027C: pip1Stride[11:1]
027E: pip1Width[8:1]
0280: pip1Height[9:0]
0282: pseudoFormat[5:4], pseudoMode[2:0]
02A0: pip2edge[15], pip2edgeEffect[10:8], pip2Vscaling[7], pip2Vfilter[5], pip2Hscaling[3], pip2Hfilter[1]
02A2: pip2Hscale[12:0]
02A4: pip2Vscale[12:0]
02A6: pip2Counter[12:8], pip2Coef[4], reserved[1], pip2countreset[0]
02A8: pip2coefPort[7:0]
02AE: pip2scalReset[15], reserved[12], pip2scalFormat[7] (77K50), pip2wideScale[5:4] (77K50)
02B0: pip2scrsaddrLSB[15:2]
02B2: pip2scrsaddrMSB[3:0]
02B4: pip2screaddrLSB[15:2]
02B6: pip2screaddrMSB[3:0]
02B8: pip2saddrLSB[15:1]
02BA: pip2saddrMSB[3:0]
02BC: pip2Stride[11:1]
02BE: pip2Width[8:1]
02C0: pip2Height[9:0]
02C2: pip2areaAvscale[12:0] (77K50)
02C4: pip2areaBvscale[12:0] (77K50)
02C6: pip2area1start[9:0] (77K50)
02C8: pip2area2start[9:0] (77K50)
02CA: pip2area3start[9:0] (77K50)
02CC: pip2area4start[9:0] (77K50)
02CE: pip2lineardelta[13:0] (77K50)
0300: gpioconfigLSB[15:0], gpio15c[15], gpio14c[14], gpio13c[13], gpio12c[12], gpio11c[11], gpio10c[10], gpio9c[9], gpio8c[8], gpio7c[7], gpio6c[6], gpio5c[5], gpio4c[4], gpio3c[3], gpio2c[2], gpio1c[1], gpio0c[0]
0302: gpioconfigMSB[5:0], gpio23c[7], gpio22c[6], gpio21c[5], gpio20c[4], gpio19c[3], gpio18c[2], gpio17c[1], gpio16c[0]
0304: gpioinputLSB[15:0], gpio15i[15], gpio14i[14], gpio13i[13], gpio12i[12], gpio11i[11], gpio10i[10], gpio9i[9], gpio8i[8], gpio7i[7], gpio6i[6], gpio5i[5], gpio4i[4], gpio3i[3], gpio2i[2], gpio1i[1], gpio0i[0]
0306: gpioinputMSB[5:0], gpio23i[7], gpio22i[6], gpio21i[5], gpio20i[4], gpio19i[3], gpio18i[2], gpio17i[1], gpio16i[0]
0308: gpiopulldownLSB[15:0], gpio15pd[15], gpio14pd[14], gpio13pd[13], gpio12pd[12], gpio11pd[11], gpio10pd[10], gpio9pd[9], gpio8pd[8], gpio7pd[7], gpio6pd[6], gpio5pd[5], gpio4pd[4], gpio3pd[3], gpio2pd[2], gpio1pd[1], gpio0pd[0]
030A: gpiopulldownMSB[5:0], gpio23pd[7], gpio22pd[6], gpio21pd[5], gpio20pd[4], gpio19pd[3], gpio18pd[2], gpio17pd[1], gpio16pd[0]
030C: gpiostatusLSB[15:0], gpio15s[15], gpio14s[14], gpio13s[13], gpio12s[12], gpio11s[11], gpio10s[10], gpio9s[9], gpio8s[8], gpio7s[7], gpio6s[6], gpio5s[5], gpio4s[4], gpio3s[3], gpio2s[2], gpio1s[1], gpio0s[0]
030E: gpiostatusMSB[5:0], gpio23s[7], gpio22s[6], gpio21s[5], gpio20s[4], gpio19s[3], gpio18s[2], gpio17s[1], gpio16s[0]
0310: gpioposedgeLSB[15:0], gpio15pe[15], gpio14pe[14], gpio13pe[13], gpio12pe[12], gpio11pe[11], gpio10pe[10], gpio9pe[9], gpio8pe[8], gpio7pe[7], gpio6pe[6], gpio5pe[5], gpio4pe[4], gpio3pe[3], gpio2pe[2], gpio1pe[1], gpio0pe[0]
0312: gpioposedgeMSB[5:0], gpio23pe[7], gpio22pe[6], gpio21pe[5], gpio20pe[4], gpio19pe[3], gpio18pe[2], gpio17pe[1], gpio16pe[0]
0314: gpionegedgeLSB[15:0], gpio15ne[15], gpio14ne[14], gpio13ne[13], gpio12ne[12], gpio11ne[11], gpio10ne[10], gpio9ne[9], gpio8ne[8], gpio7ne[7], gpio6ne[6], gpio5ne[5], gpio4ne[4], gpio3ne[3], gpio2ne[2], gpio1ne[1], gpio0ne[0]
0316: gpionegedgeMSB[5:0], gpio23ne[7], gpio22ne[6], gpio21ne[5], gpio20ne[4], gpio19ne[3], gpio18ne[2], gpio17ne[1], gpio16ne[0]
0318: gpioirqstatusLSB[15:0], gpio15is[15], gpio14is[14], gpio13is[13], gpio12is[12], gpio11is[11], gpio10is[10], gpio9is[9], gpio8is[8], gpio7is[7], gpio6is[6], gpio5is[5], gpio4is[4], gpio3is[3], gpio2is[2], gpio1is[1], gpio0is[0]
031A: gpioirqstatusMSB[5:0], gpio23is[7], gpio22is[6], gpio21is[5], gpio20is[4], gpio19is[3], gpio18is[2], gpio17is[1], gpio16is[0]
0400: pip2lutAddr[7:0]
0402: pip2lutData[15:0]
0500: lcdlutAddr[7:0]
0502: lcdlutData[15:0]
0A00: irqgpioStatus[15], irqhostStatus[4], irqp1vinstatus[0]
0A02: irqgpioEnable[15], irqhostEnable[4], irqp1vinenable[0]
0A04: irqgpioManual[15], irqhostManual[4], irqp1vinmanual[0]
)";

std::vector<std::string> Split(const std::string& text, const std::string& sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(sep, start)) != std::string::npos; start = at + sep.size()) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string StoredKey(const std::string& written) {
  std::string key;
  for (char c : written) {
    if (c != '-') key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

class BuiltInDocument : public testing::Test {
 protected:
  ChipDef m;

  const FeatureRec& F(const char* key) {
    uint32_t index = 0;
    static const FeatureRec missing;
    if (!m.FindFeature(key, &index)) {
      ADD_FAILURE() << "no feature " << key;
      return missing;
    }
    return m.Features()[index];
  }

  // The keys of every feature that passes the test, for comparing with a written set.
  template <typename Pred>
  std::set<std::string> Keys(Pred pred) {
    std::set<std::string> keys;
    for (const FeatureRec& f : m.Features()) {
      if (pred(f)) keys.insert(f.KeyName);
    }
    return keys;
  }

  static std::set<std::string> KeySet(const std::string& written) {
    std::set<std::string> keys;
    for (const std::string& k : Split(written, " ")) keys.insert(StoredKey(k));
    return keys;
  }
};

TEST_F(BuiltInDocument, LoadsWithOnlyThePerProductDuplicates) {
  EXPECT_EQ(m.ErrDiagnoseBuf(),
            "CHIPDEF ERROR: paneltype is defined twice.\n"
            "CHIPDEF ERROR: datatype is defined twice.\n"
            "CHIPDEF ERROR: portstatus is defined twice.\n"
            "CHIPDEF ERROR: port is defined twice.\n");
  ASSERT_EQ(m.Products().size(), 2u);
  EXPECT_EQ(*m.Products()[0].KeyName, "77K50");
  EXPECT_EQ(*m.Products()[1].KeyName, "77Q41");
  EXPECT_EQ(m.SelectedProduct(), 1);
  EXPECT_STREQ(m.GetProductTitle(TITLE_NAME), "77Q41");
  EXPECT_STREQ(m.GetProductTitle(TITLE_PREFIX | TITLE_NAME | TITLE_SUFFIX), "QDX77Q41");
  EXPECT_EQ(m.IndexWidth(), 4u);
  EXPECT_EQ(m.ValueWidth(), 4u);

  const char* categories[][2] = {{"system", "System Configuration"},
                                 {"clock", "Clock Configuration"},
                                 {"lcd", "LCD Interface Configuration"},
                                 {"lcdcfg", "LCD Configuration"},
                                 {"extended", "Extended Panel Configuration"},
                                 {"host", "Host Interface"},
                                 {"display", "Display Configuration"},
                                 {"pip1", "PIP1 Window Configuration"},
                                 {"pip2", "PIP2 Window Configuration"},
                                 {"gpio", "GPIO"},
                                 {"lut", "LUT"},
                                 {"irq", "Interrupt Control"}};
  ASSERT_EQ(m.Categories().size(), 12u);
  for (size_t i = 0; i < 12; i++) {
    EXPECT_EQ(*m.Categories()[i].KeyName, categories[i][0]);
    EXPECT_EQ(*m.Categories()[i].Name, categories[i][1]);
  }
}

TEST_F(BuiltInDocument, RegistersMatchTheTable) {
  const std::set<std::string> safeCategories = {"lcdcfg", "extended", "display",
                                                "pip1",   "pip2",     "irq"};
  const std::regex item(R"(([0-9A-F]{4}) (\w+)(?: \(([^)]*)\))?)");
  const auto& regs = m.Registers();
  ASSERT_EQ(regs.size(), 143u);
  size_t n = 0;
  std::istringstream lines(kRegisterTable);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    const size_t colon = line.find(": ");
    const std::string category = line.substr(0, colon);
    for (const std::string& text : Split(line.substr(colon + 2), "; ")) {
      std::smatch mt;
      ASSERT_TRUE(std::regex_match(text, mt, item)) << text;
      ASSERT_LT(n, regs.size());
      const RegisterRec& r = regs[n++];
      SCOPED_TRACE(text);
      EXPECT_EQ(r.Index, std::stoul(mt[1], nullptr, 16));
      EXPECT_EQ(r.EndIndex, r.Index == 0 ? 0 : r.Index);
      EXPECT_EQ(*r.KeyName, mt[2].str());
      EXPECT_EQ(r.Category.value_or(""), category);
      EXPECT_EQ(r.BitWidth, 16u);
      EXPECT_FALSE(r.Fake);
      EXPECT_TRUE(r.Name && r.Name->find("Register") != std::string::npos);
      uint32_t dflt = 0;
      bool ro = false, wo = false;
      std::string product;
      for (const std::string& a : Split(mt[3], ", ")) {
        if (a.starts_with("=")) dflt = static_cast<uint32_t>(std::stoul(a.substr(1), nullptr, 16));
        if (a == "ro") ro = true;
        if (a == "wo") wo = true;
        if (a.starts_with("77")) product = a;
      }
      EXPECT_EQ(r.Default, dflt);
      EXPECT_EQ(r.ReadOnly, ro);
      EXPECT_EQ(r.WriteOnly, wo);
      EXPECT_EQ(r.Product.value_or(""), product);
      const bool safe = safeCategories.count(category) ||
                        (category == "gpio" && r.Index != 0x318 && r.Index != 0x31A) ||
                        r.Index == 0x400 || r.Index == 0x500;
      EXPECT_EQ(r.SafeTest, safe);
    }
  }
  const char* fake[][2] = {{"DELAY", "PLL Register Programming Delay (in us)"},
                           {"OFF_DELAY", "LCD Panel Power Off Delay (in ms)"},
                           {"ON_DELAY", "LCD Panel Power On Delay (in ms)"},
                           {"END_OF_TABLE", "End of Registers Marker"}};
  for (uint32_t i = 0; i < 4; i++, n++) {
    const RegisterRec& r = regs[n];
    EXPECT_TRUE(r.Fake);
    EXPECT_EQ(r.Index, 0xFFFC + i);
    EXPECT_EQ(*r.KeyName, fake[i][0]);
    EXPECT_EQ(*r.Name, fake[i][1]);
    EXPECT_FALSE(r.Category);
  }
  for (const RegisterRec& r : regs) {
    if (r.Index == 0x40) {
      EXPECT_EQ(*r.Name, "LCD Horizontal Total (FPLINE Period) Register");
    }
  }
}

TEST_F(BuiltInDocument, FeaturesMatchTheTable) {
  const std::regex item(R"((\w+)(?:\[(\d+)(?::(\d+))?\])?(?: \((\w+)\))?)");
  const auto& feats = m.Features();
  ASSERT_EQ(feats.size(), 522u);
  size_t n = 0;
  std::istringstream lines(kFeatureTable);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    const size_t colon = line.find(": ");
    const std::string head = line.substr(0, colon);
    for (const std::string& text : Split(line.substr(colon + 2), ", ")) {
      std::smatch mt;
      ASSERT_TRUE(std::regex_match(text, mt, item)) << text;
      ASSERT_LT(n, feats.size());
      const FeatureRec& f = feats[n++];
      SCOPED_TRACE(text);
      uint32_t mask = kAllOnes;
      if (mt[2].matched) {
        const int high = std::stoi(mt[2]), low = mt[3].matched ? std::stoi(mt[3]) : high;
        mask = static_cast<uint32_t>((2ull << high) - (1ull << low));
      }
      EXPECT_EQ(f.Mask, mask);
      EXPECT_EQ(f.Product.value_or(""), mt[4].str());
      if (head == "code") {
        EXPECT_EQ(f.Reg, kAllOnes);
        EXPECT_TRUE(f.NeedCode);
      } else if (head == "span") {
        EXPECT_TRUE(f.Span);
      } else {
        EXPECT_EQ(f.Reg, std::stoul(head, nullptr, 16));
        EXPECT_FALSE(f.Span);
      }
      if (mt[1] == "reserved") {
        char name[32];
        const int high = std::stoi(mt[2]), low = mt[3].matched ? std::stoi(mt[3]) : high;
        if (high == low) {
          std::snprintf(name, sizeof name, "rsvd%Xb%d", f.Reg, low);
        } else {
          std::snprintf(name, sizeof name, "rsvd%Xb%dto%d", f.Reg, high, low);
        }
        EXPECT_EQ(f.KeyName, name);
        EXPECT_EQ(f.Type, FT_NUMB);
        EXPECT_EQ(*f.Reserved, "all");
      } else {
        EXPECT_EQ(f.KeyName, StoredKey(mt[1]));
        EXPECT_NE(f.Type, 0u);
      }
    }
  }
  EXPECT_EQ(n, feats.size());
}

TEST_F(BuiltInDocument, TypeAndValueCounts) {
  std::map<uint32_t, int> types;
  int values = 0, hexNumbers = 0, reserved = 0;
  for (const FeatureRec& f : m.Features()) {
    types[f.Type]++;
    if (f.Type == FT_LIST) values += static_cast<int>(f.Values.size());
    if (f.Radix == 16 && f.Type != FT_ADDR) hexNumbers++;
    if (f.KeyName.starts_with("rsvd")) reserved++;
  }
  EXPECT_EQ(reserved, 13);
  EXPECT_EQ(types[FT_NUMB], 330 + 13);
  EXPECT_EQ(types[FT_LIST], 77);
  EXPECT_EQ(values, 268);
  EXPECT_EQ(types[FT_BOOL], 73);
  EXPECT_EQ(types[FT_ADDR], 18);
  EXPECT_EQ(hexNumbers, 224);
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.Type == FT_FREQ; }),
            KeySet("clki pllclk inclk sysclk pclk serclk"));
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.Type == FT_TEXT; }),
            KeySet("chipid chipname chipdesc cfgdesc"));
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.Type == FT_SEQU; }), KeySet("lcdseq"));
}

TEST_F(BuiltInDocument, AccessAndFlags) {
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.ReadOnly; }),
            KeySet("revcode prodcode cnf2 cnf1 cnf0 vndp mempowerSave lcdStatus saddrBias "
                   "memwriteRaw memreadRaw hwcoverWriteraw hwctimeOutraw hwccompleteraw "
                   "portStatus pip1Counter pip2Counter irqgpioStatus irqhostStatus "
                   "irqp1vinstatus chipid chipname chipdesc regaddr memaddr bufsize pllclkSrc "
                   "inclk sysclk sysclkSrc pclk pclkSrc serclk serclkSrc bpp"));
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.WriteOnly; }),
            KeySet("softReset hwcReset lcdReset lcdlutAddrclr pip2lutAddrclr pip1countreset "
                   "pip1coefPort pip1scalReset pip2countreset pip2coefPort pip2scalReset"));
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.RedrawPattern; }),
            KeySet("hdp vdp mirror rotate rotateList saddrBias lcdlutBypass pip2lutBypass "
                   "main1Vdoubl main1Hdoubl main1Stride main1Width main1Height main2Vdoubl "
                   "main2Hdoubl main2Stride main2Width main2Height pip1Stride pip1Width "
                   "pip1Height pip2Stride pip2Width pip2Height width height"));
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.NeedCode && f.Reg != kAllOnes; }),
            KeySet("mirror rotate rotateList memWidth memHeight main1Stride main2Stride "
                   "pip1Stride pip2Stride"));
  EXPECT_TRUE(F("saddr").NeedCode);  // the one span computed by the program
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.Reserved && !f.KeyName.starts_with("rsvd"); }),
            KeySet("lcdlutAddrclr pip2lutAddrclr irqp1vinstatus irqp1vinenable irqp1vinmanual "
                   "regwrite"));
  std::set<std::string> overlap = KeySet("sysclkDiv serclkDiv pclkDiv bufsize");
  for (const char* gpio : {"gpioconfig", "gpioinput", "gpiopulldown", "gpiostatus", "gpioposedge",
                           "gpionegedge", "gpioirqstatus"}) {
    for (const char* suffix : {"", "lsb", "msb"}) overlap.insert(std::string(gpio) + suffix);
  }
  EXPECT_EQ(Keys([](const FeatureRec& f) { return f.Overlap; }), overlap);
}

TEST_F(BuiltInDocument, AddressFeatures) {
  EXPECT_EQ(
      Keys([](const FeatureRec& f) { return f.Type == FT_ADDR && f.OffsetOf == OFFSETOF_DISP; }),
      KeySet("saddr memStride memrectAddroff mainscrSaddr mainscrEaddr main1Saddr "
             "main2Saddr pip1scrSaddr pip1scrEaddr pip1Saddr pip2scrSaddr pip2scrEaddr "
             "pip2Saddr"));
  EXPECT_EQ(
      Keys([](const FeatureRec& f) { return f.Type == FT_ADDR && f.OffsetOf == OFFSETOF_SYS; }),
      KeySet("baseaddr regaddr memaddr"));
  EXPECT_EQ(
      Keys([](const FeatureRec& f) { return f.Type == FT_ADDR && f.OffsetOf == OFFSETOF_BASE; }),
      KeySet("regoffset memoffset"));
  // Span limits come from their parts: 19 bits (18 for the FFFC spans) before the operator.
  EXPECT_EQ(F("saddr").Max, 0xFFFFEu);
  EXPECT_EQ(F("main1saddr").Max, 0xFFFFEu);
  EXPECT_EQ(F("pip1scrsaddr").Max, 0xFFFFCu);
  EXPECT_EQ(F("pip2screaddr").Max, 0xFFFFCu);
  EXPECT_EQ(F("gpioconfig").Max, 0x3FFFFFu);
  EXPECT_EQ(F("gpioirqstatus").Min, 0u);
}

TEST_F(BuiltInDocument, OperatorsStepsAndUnits) {
  ASSERT_TRUE(m.SelectProduct("all"));
  struct Row {
    const char* Key;
    const char* Op1;
    const char* Op2;
    uint32_t Step;
    const char* Unit;
    uint32_t Min, Max;
  };
  const Row rows[] = {
      {"mdivider", "+1", "", 1, ":1", 1, 0x40},
      {"serclkdiv", "+1", "*2", 1, ":1", 2, 16},
      {"pclkdiv", "+2", "", 1, ":1", 2, 33},
      {"ht", "+1", "*8", 8, " pixels", 8, 1024},
      {"hdp", "+1", "*2", 2, " pixels", 2, 1024},
      {"hdps", "+9", "", 1, " pixels", 9, 1032},
      {"vt", "+1", "", 1, " lines", 1, 1024},
      {"lcdvsyncpos", "*2", "", 1, "", 0, 510},
      {"rotate", "*90", "", 0x5A, " degrees", 0, 270},
      {"memwidth", "*2", "+2", 1, " pixels", 2, 1024},
      {"memrectaddroff", "*2", "+2", 1, "", 2, 4096},
      {"pip1scrsaddr", "*4", "", 1, "", 0, 0xFFFFC},
      {"main2stride", "*2", "", 1, " bytes", 0, 4094},
      {"main1height", "+1", "", 1, " pixels", 1, 1024},
      {"pip2width", "*2", "", 1, " pixels", 0, 510},
      {"mgewrwait", "+1", "", 1, " clocks", 1, 16},
      {"mgeb2bwait", "", "", 1, " clocks", 0, 15},
      {"sysclk", "", "", 1, " Hz", 0, kAllOnes},
      {"bufsize", "", "", 1, " MB", 0, kAllOnes},
      {"bpp", "", "", 1, " BPP", 0, kAllOnes},
      {"height", "", "", 1, " lines", 0, kAllOnes},
      {"mgeabw", "", "", 1, "-bit", 0, 0},
      {"pclkdivlist", "", "", 1, ":1", 0, 0},
      {"rotatelist", "", "", 1, " degrees", 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Key);
    const FeatureRec& f = F(r.Key);
    EXPECT_EQ(f.Op1.value_or(""), r.Op1);
    EXPECT_EQ(f.Op2.value_or(""), r.Op2);
    EXPECT_EQ(f.Step, r.Step);
    EXPECT_EQ(f.Unit.value_or(""), r.Unit);
    EXPECT_EQ(f.Min, r.Min);
    EXPECT_EQ(f.Max, r.Max);
  }
  EXPECT_EQ(*F("pclkdiv").Name, "Pixel Clock Divide Select");
  EXPECT_EQ(F("pllclksrc").AbbrevLen, 6u);
  EXPECT_EQ(F("main1saddr").AbbrevLen, 5u);
  EXPECT_EQ(*F("main1saddrlsb").Name, "Main1 Window Start Address Low Bits");
}

TEST_F(BuiltInDocument, ValueLists) {
  const FeatureRec& rgb = F("rgbdatawidth");
  ASSERT_EQ(rgb.Values.size(), 5u);
  EXPECT_EQ(*rgb.Values[4].Value, "24");
  EXPECT_EQ(*rgb.Unit, "-bit");
  const FeatureRec& vout = F("voutrate");
  ASSERT_EQ(vout.Values.size(), 16u);
  for (uint32_t i = 0; i < 16; i++) EXPECT_EQ(vout.Values[i].Index, i);  // fits the 4-bit field
  EXPECT_EQ(*vout.Values[15].Value, "Every 15th LCD-VSYNC");
  const FeatureRec& pclk = F("pclkdivlist");
  ASSERT_EQ(pclk.Values.size(), 32u);
  EXPECT_EQ(*pclk.Values[0].Value, "2");
  EXPECT_EQ(pclk.Values[31].Index, 31u);
  EXPECT_EQ(*pclk.Values[31].Value, "33");
  const FeatureRec& status = F("memwritestatus");
  ASSERT_EQ(status.Values.size(), 2u);
  EXPECT_FALSE(status.Values[1].Value);
  EXPECT_EQ(*status.Values[1].ReadValue, "Occurred");
  EXPECT_EQ(*status.Values[1].WriteValue, "Clear status");
  EXPECT_FALSE(status.Values[0].WriteValue);
  const FeatureRec& bypass = F("mirror");
  EXPECT_EQ(bypass.Type, FT_BOOL);
  EXPECT_EQ(*bypass.Values[1].Value, "True");
  ASSERT_TRUE(m.SelectProduct("77K50"));
  EXPECT_EQ(*F("lcdparcppin").Values[2].Value, "FPDAT[17:13],FPDAT[11:1]");
}

TEST_F(BuiltInDocument, ProductFiltering) {
  uint32_t index = 0;
  EXPECT_EQ(F("paneltype").Reg, kAllOnes);
  EXPECT_EQ(F("paneltype").Values.size(), 1u);
  EXPECT_TRUE(m.FindFeature("rsvd14b15to8", &index));
  EXPECT_TRUE(m.FindFeature("rsvd14b4to3", &index));
  EXPECT_TRUE(m.FindFeature("gpio23c", &index));
  EXPECT_EQ(m.Features()[index].Reg, 0x302u);
  EXPECT_EQ(m.Features()[index].Mask, 0x80u);
  for (const char* key : {"serclk", "lcdsertype", "lcdcmd", "lcdpolinv", "lcdparfmt",
                          "pip2lineardelta", "pip2areaavscale", "revcode"}) {
    EXPECT_FALSE(m.FindFeature(key, &index)) << key;
  }
  ASSERT_TRUE(m.SelectProduct("77K50"));
  EXPECT_EQ(F("paneltype").Reg, 0x32u);
  EXPECT_EQ(F("paneltype").Mask, 3u);
  EXPECT_EQ(F("datatype").Mask, 0xE0u);
  EXPECT_FALSE(m.FindFeature("rsvd14b15to8", &index));
  EXPECT_TRUE(m.FindFeature("serclk", &index));
  EXPECT_TRUE(m.FindFeature("lcdsertype", &index));
}

// ---- the configuration record copy and the code features ----

// The record is packed: its fields are compared as values, never bound to references.
class RecordModel : public testing::Test {
 protected:
  ChipDef m;
};

TEST_F(RecordModel, FlagWordFeatures) {
  EXPECT_EQ(m.GetFieldValue("resetduringinit"), 0u);  // qvfNO_RESET is set
  EXPECT_EQ(m.GetFieldValue("adapter"), 1u);
  EXPECT_STREQ(m.GetValueText("adapter", true), "USB");
  EXPECT_STREQ(m.GetValueText("checkmemstatus", true), "True");
  EXPECT_TRUE(m.SetValueText("checkmemstatus", "false"));
  EXPECT_EQ(m.Record().hclFlags & 0x1000, 0x1000u);
  EXPECT_TRUE(m.SetValueText("checkmemstatus", "true"));
  EXPECT_EQ(m.Record().hclFlags & 0x1000, 0u);
  EXPECT_TRUE(m.SetFieldValue("fastcycle", 1));
  EXPECT_EQ(m.Record().hclFlags & 0x0800, 0x0800u);
  EXPECT_FALSE(m.SetFieldValue("fastcycle", 2));
  for (const char* autoStride :
       {"main1autostride", "main2autostride", "pip1autostride", "pip2autostride"}) {
    EXPECT_TRUE(m.SetFieldValue(autoStride, 0));
  }
  EXPECT_EQ(m.Record().hclFlags & 0x1E, 0x1Eu);
}

TEST_F(RecordModel, RecordFieldsAndConstants) {
  EXPECT_EQ(m.GetValue("memoffset"), 0x200000u);
  EXPECT_TRUE(m.SetValue("baseaddr", 0x10000000));
  EXPECT_EQ(m.GetValue("memaddr"), 0x10200000u);
  EXPECT_EQ(m.GetValue("regaddr"), 0x10000000u);
  EXPECT_FALSE(m.SetFieldValue("regaddr", 5));
  EXPECT_EQ(m.GetValue("bpp"), 16u);
  EXPECT_EQ(m.GetValue("bufsize"), 1u);
  EXPECT_EQ(m.GetValue("clki"), 4000000u);
  EXPECT_STREQ(m.GetValueText("clki", true), "4.000 MHz");
  EXPECT_TRUE(m.SetValueText("clki", "27"));
  EXPECT_EQ(uint32_t{m.Record().clki}, 27000000u);
  EXPECT_STREQ(m.GetValueText("chipid", true), "77Q41");
  EXPECT_STREQ(m.GetValueText("chipname", true), "QDX77Q41");
  EXPECT_EQ(std::string(m.GetValueText("chipdesc", true)).rfind(" QDX 77-series", 0), 0u);
  EXPECT_FALSE(m.SetValueText("chipid", "other"));
}

TEST_F(RecordModel, DescriptionIsCutToItsField) {
  EXPECT_TRUE(m.SetValueText("cfgdesc", "panel board"));
  EXPECT_STREQ(m.GetValueText("cfgdesc", true), "panel board");
  const std::string longText(400, 'x');
  EXPECT_TRUE(m.SetValueText("cfgdesc", longText.c_str()));
  EXPECT_EQ(std::string(m.GetValueText("cfgdesc", true)), std::string(255, 'x'));
  EXPECT_EQ(m.Record().lcdStrings[0], 0);  // the next field is untouched
}

TEST_F(RecordModel, BusBytesReplaceOnlyTheirBits) {
  // Byte 0 is 41h: data width field 2 ("16"), signal type 0, polarity 0.
  EXPECT_EQ(m.GetFieldValue("mgedbw"), 2u);
  EXPECT_EQ(m.GetFieldValue("mgedbw2"), 2u);
  EXPECT_TRUE(m.SetFieldValue("mgesigtype", 7));
  EXPECT_EQ(m.Record().usbInfo[0], 0x41 | 0x1C);
  EXPECT_TRUE(m.SetFieldValue("mgesigtype", 0xF));  // masked to the field
  EXPECT_EQ(m.Record().usbInfo[0], 0x41 | 0x1C);
  EXPECT_EQ(m.GetFieldValue("mgerdwait"), 0xAu);  // byte 2 is AAh
  EXPECT_EQ(m.GetValue("mgerdwait"), 0xBu);
  EXPECT_TRUE(m.SetValue("mgewrwait", 3));
  EXPECT_EQ(m.Record().usbInfo[2], 0x2A);
  EXPECT_EQ(m.GetFieldValue("mgecfgf"), 2u);  // byte 5 is AAh, bits 5..4
}

TEST_F(RecordModel, StridesFollowTheirWindowWithAutoStride) {
  ASSERT_TRUE(m.SetFieldValue("main1autostride", 0));
  EXPECT_EQ(m.GetValue("main1stride"), 640u);  // the list's MAIN1_STRIDE
  ASSERT_TRUE(m.SetValue("main1width", 100));
  EXPECT_EQ(m.GetValue("main1stride"), 640u);  // off: the stored value stays
  ASSERT_TRUE(m.SetFieldValue("main1autostride", 1));
  EXPECT_EQ(m.GetValue("main1stride"), 200u);
  ASSERT_TRUE(m.SetFieldValue("main1autostride", 0));
  EXPECT_EQ(m.GetValue("main1stride"), 200u);  // the derived stride was stored
}

TEST(LiveModelTest, RegistersAreTheChipsNotTheList) {
  LiveModel m;
  m.regs[0x0042] = 0x13F;
  EXPECT_EQ(m.GetValue("hdp"), 640u);
  EXPECT_EQ(m.widths[0x0042], 16u);
  EXPECT_TRUE(m.SetValue("hdp", 320));
  EXPECT_EQ(m.regs[0x0042], 159u);
  EXPECT_EQ(uint32_t{m.Record().regTable[10].value}, 0x27u);  // the list is untouched
  // Registers outside the list are there in live mode; no register at all reads 0.
  EXPECT_TRUE(m.SetValue("memstride", 640));
  EXPECT_EQ(m.regs[0x0186], 640u);  // field 320 at bit 1
  EXPECT_EQ(m.ReadRegister(0x0999, false), 0u);
  EXPECT_FALSE(m.WriteRegister(0x0999, false, 1));
  EXPECT_EQ(m.regs.count(0x0999), 0u);
  EXPECT_EQ(m.GetFieldValue("dataformat"), 0u);
}

TEST(LiveModelTest, SaddrStaysPutWhenTheBiasMoves) {
  LiveModel m;
  ASSERT_TRUE(m.SetValue("memwidth", 320));
  ASSERT_TRUE(m.SetValue("memheight", 240));
  ASSERT_TRUE(m.SetValue("memstride", 640));
  ASSERT_TRUE(m.SetValue("saddr", 0x1000));
  EXPECT_EQ(m.GetValue("saddrbias"), 0u);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  EXPECT_STREQ(m.GetValueText("saddr", true), "00001000h + bias of 0h");
  ASSERT_TRUE(m.SetValue("rotate", 90));
  EXPECT_EQ(m.GetValue("saddrbias"), 240u * 2 - 2);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  EXPECT_EQ(m.GetFieldValue("saddr") * 2, 0x1000u + 478);
  EXPECT_STREQ(m.GetValueText("saddr", true), "00001000h + bias of 1DEh");
  ASSERT_TRUE(m.SetValueText("mirror", "on"));
  EXPECT_EQ(m.GetValue("saddrbias"), 0u);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  ASSERT_TRUE(m.SetValue("rotate", 180));
  EXPECT_EQ(m.GetValue("saddrbias"), 239u * 640);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  ASSERT_TRUE(m.SetValue("memheight", 100));
  EXPECT_EQ(m.GetValue("saddrbias"), 99u * 640);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  // Odd addresses align down to a whole pixel; beyond the maximum is clamped.
  ASSERT_TRUE(m.SetValue("rotate", 0));
  ASSERT_TRUE(m.SetValueText("mirror", "off"));
  EXPECT_TRUE(m.SetValue("saddr", 0x1001));
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  EXPECT_FALSE(m.SetValue("saddr", 0x200000));
  EXPECT_EQ(m.GetValue("saddr"), 0xFFFFEu);
}

TEST_F(RecordModel, SequenceTextRoundTrip) {
  EXPECT_EQ(m.GetSeqCapacity("lcdseq"), 1024u);
  EXPECT_EQ(m.GetSeqCapacity("hdp"), 0u);
  EXPECT_TRUE(m.SetValueText("lcdseq", "c2A p1 d10(wait)"));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 3u);
  EXPECT_EQ(uint32_t{m.Record().panelSequence[0]}, 0x1000002Au);
  EXPECT_EQ(uint32_t{m.Record().panelSequence[1]}, 0x20000001u);
  EXPECT_EQ(uint32_t{m.Record().panelSequence[2]}, 0x4000000Au);
  EXPECT_STREQ(m.GetValueText("lcdseq", true), "c2A  p1  d10(wait)");
  // Texts end at a semicolon, and the semicolon skips the rest up to the next one.
  EXPECT_TRUE(m.SetValueText("lcdseq", "id5 ap7(x;y) as3 x12; c1F(fine)  zz"));
  EXPECT_STREQ(m.GetValueText("lcdseq", true), "id5  ap7(x)  c1F(fine)");
  // A long sequence reads back whole, past the size of an ordinary returned text.
  std::string many;
  for (int i = 0; i < 300; i++) many += "c" + std::to_string(100 + i) + (i < 5 ? "(t)  " : "  ");
  many.resize(many.size() - 2);
  EXPECT_TRUE(m.SetValueText("lcdseq", many.c_str()));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 300u);
  EXPECT_EQ(m.GetValueText("lcdseq", true), many);
  // A full text pool ends the store: 170 one-letter texts take 510 of its 512 bytes.
  std::string texts;
  for (int i = 0; i < 200; i++) texts += "c1(t) ";
  EXPECT_FALSE(m.SetValueText("lcdseq", texts.c_str()));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 170u);
  // Past the 1024 entries the store stops and keeps what fitted.
  std::string tooMany;
  for (int i = 0; i < 1100; i++) tooMany += "p1 ";
  EXPECT_FALSE(m.SetValueText("lcdseq", tooMany.c_str()));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 1024u);
  EXPECT_TRUE(m.SetSeqLength("lcdseq", 0));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 0u);
  EXPECT_STREQ(m.GetValueText("lcdseq", true), "");
  EXPECT_EQ(m.Record().lcdStrings[0], 0);  // cleared entries leave no texts behind
}

TEST_F(RecordModel, PoolRecordsComeAndGo) {
  const std::string before(m.Record().lcdStrings, sizeof m.Record().lcdStrings);
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 1, 0x10000000, 1, "a"));
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 3, 0x10000000, 2, "b"));
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 3, 0x10000000, 2, ""));
  uint32_t kind = 0, number = 0;
  const char* text = nullptr;
  ASSERT_TRUE(m.GetSeqEntry("lcdseq", 1, &kind, &number, &text));
  EXPECT_STREQ(text, "a");
  ASSERT_TRUE(m.GetSeqEntry("lcdseq", 3, &kind, &number, &text));
  EXPECT_EQ(text, nullptr);
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 1, 0x10000000, 1, nullptr));
  EXPECT_EQ(std::string(m.Record().lcdStrings, sizeof m.Record().lcdStrings), before);
  EXPECT_FALSE(m.GetSeqEntry("lcdseq", 1024, &kind, &number, &text));
  EXPECT_FALSE(m.SetSeqEntry("lcdseq", 1024, 0x10000000, 1, nullptr));
  // The pool is never overrun: texts stop fitting and are refused.
  const std::string long200(200, 'q');
  EXPECT_TRUE(m.SetSeqEntry("lcdseq", 10, 0x10000000, 1, long200.c_str()));
  EXPECT_TRUE(m.SetSeqEntry("lcdseq", 11, 0x10000000, 1, long200.c_str()));
  EXPECT_FALSE(m.SetSeqEntry("lcdseq", 12, 0x10000000, 1, long200.c_str()));
  EXPECT_FALSE(m.SetSeqEntry("lcdseq", 300, 0x10000000, 1, "t"));  // no number for it
  EXPECT_TRUE(m.SetSeqEntry("lcdseq", 300, 0x10000000, 1, ""));
}

TEST_F(RecordModel, RegisterListIsCompactedToTheProduct) {
  EXPECT_EQ(m.RegListCount(), 95u);
  uint32_t index = 0, pos = 0;
  for (uint32_t n = 0; m.GetNthRegister(true, n, &index, true); n++) {
    EXPECT_TRUE(m.RegisterExists(index)) << std::hex << index;
  }
  EXPECT_TRUE(m.FindInRegList(0xFFFC, &pos, false));
  EXPECT_EQ(pos, 5u);
  EXPECT_EQ(uint32_t{m.Record().regTable[95].index}, 0xFFFFu);
  EXPECT_FALSE(m.FindInRegList(0x0034, &pos, false));
  // Cold reads and writes go to the list; registers outside it read their default.
  EXPECT_EQ(m.ReadRegister(0x0042, false), 0x27u);
  EXPECT_TRUE(m.WriteRegister(0x0042, false, 0x13F));
  EXPECT_EQ(uint32_t{m.Record().regTable[10].value}, 0x13Fu);
  EXPECT_EQ(m.ReadRegister(10, true), 0x13Fu);
  EXPECT_EQ(m.ReadRegister(0x0014, false), 0x04D0u);
  EXPECT_FALSE(m.WriteRegister(0x0004, false, 1));
  EXPECT_EQ(m.ReadRegister(0x0004, false), 0u);
}

}  // namespace
