// The language table and the weekday names of the constants unit.
#include "core/vxConstantsLocale.h"

// Row numbers (1-based, as the search counts them) are in the comments.
const std::array<TLocaleTableRow, 261> LocaleTable = {{
    {u"AA", u"Afar", u"AAR", u"", u"", u""},  // 1
    {u"AB", u"Abkhazian", u"ABK", u"", u"", u""},  // 2
    {u"AF", u"Afrikaans", u"AFR", u"", u"", u""},  // 3
    {u"SQ", u"Albanian - Albania", u"ALB", u"SQI", u"SQI", u"041C"},  // 4
    {u"AM", u"Amharic", u"AMH", u"", u"", u""},  // 5
    {u"AR", u"Arabic - Saudi Arabia", u"ARA", u"", u"ARA", u"0401"},  // 6
    {u"AN", u"Arabic - Algeria", u"ARG", u"", u"ARG", u"1401"},  // 7
    {u"HY", u"Armenian - Armenia", u"ARM", u"HYE", u"HYE", u"042B"},  // 8
    {u"AS", u"Assamese", u"ASM", u"", u"", u""},  // 9
    {u"AE", u"Avestan", u"AVE", u"", u"", u""},  // 10
    {u"AY", u"Aymara", u"AYM", u"", u"", u""},  // 11
    {u"AZ", u"Azeri - Azerbaijan (Latin)", u"AZE", u"", u"AZE", u"042C"},  // 12
    {u"BA", u"Bashkir", u"BAK", u"", u"", u""},  // 13
    {u"EU", u"Basque", u"BAQ", u"EUS", u"", u""},  // 14
    {u"BE", u"Belarusian", u"BEL", u"", u"BEL", u"0423"},  // 15
    {u"BN", u"Bengali", u"BEN", u"", u"", u""},  // 16
    {u"BH", u"Bihari", u"BIH", u"", u"", u""},  // 17
    {u"BI", u"Bislama", u"BIS", u"", u"", u""},  // 18
    {u"BS", u"Bosnian", u"BOS", u"", u"", u""},  // 19
    {u"BR", u"Breton", u"BRE", u"", u"", u""},  // 20
    {u"BG", u"Bulgarian", u"BUL", u"", u"", u""},  // 21
    {u"MY", u"Burmese", u"BUR", u"MYA", u"", u""},  // 22
    {u"CA", u"Catalan", u"CAT", u"", u"CAT", u"0403"},  // 23
    {u"CH", u"Chamorro", u"CHA", u"", u"", u""},  // 24
    {u"CE", u"Chechen", u"CHE", u"", u"", u""},  // 25
    {u"ZH", u"Chinese", u"CHI", u"ZHO", u"", u""},  // 26
    {u"CU", u"Church Slavic Slavonic Old Bulgarian", u"CHU", u"", u"", u""},  // 27
    {u"CV", u"Chuvash", u"CHV", u"", u"", u""},  // 28
    {u"KW", u"Cornish", u"COR", u"", u"", u""},  // 29
    {u"CO", u"Corsican", u"COS", u"", u"", u""},  // 30
    {u"CS", u"Czech", u"CZE", u"CES", u"", u""},  // 31
    {u"DA", u"Danish", u"DAN", u"", u"DAN", u"0406"},  // 32
    {u"DV", u"Divehi", u"DIV", u"", u"DIV", u"0465"},  // 33
    {u"NL", u"Dutch", u"DUT", u"NLD", u"NLD", u"0413"},  // 34
    {u"DZ", u"Dzongkha", u"DZO", u"", u"", u""},  // 35
    {u"EN", u"English", u"ENG", u"", u"ENG", u"0809"},  // 36
    {u"EO", u"Esperanto", u"EPO", u"", u"", u""},  // 37
    {u"ET", u"Estonian", u"EST", u"", u"", u""},  // 38
    {u"FO", u"Faroese", u"FAO", u"", u"", u""},  // 39
    {u"FJ", u"Fijian", u"FIJ", u"", u"", u""},  // 40
    {u"FI", u"Finnish", u"FIN", u"", u"FIN", u"040B"},  // 41
    {u"FR", u"French", u"FRE", u"FRA", u"FRA", u"040C"},  // 42
    {u"FY", u"Western Frisian", u"FRY", u"", u"", u""},  // 43
    {u"KA", u"Georgian", u"GEO", u"KAT", u"KAT", u"0437"},  // 44
    {u"DE", u"German", u"GER", u"DEU", u"DEU", u"0407"},  // 45
    {u"GD", u"Gaelic Scottish Gaelic", u"GLA", u"", u"", u""},  // 46
    {u"GA", u"Irish", u"GLE", u"", u"", u""},  // 47
    {u"GL", u"Galician", u"GLG", u"", u"", u""},  // 48
    {u"GV", u"Manx", u"GLV", u"", u"", u""},  // 49
    {u"EL", u"Greek", u"GRE", u"ELL", u"ELL", u"0408"},  // 50
    {u"GN", u"Guarani", u"GRN", u"", u"", u""},  // 51
    {u"GU", u"Gujarati", u"GUJ", u"", u"GUJ", u"0447"},  // 52
    {u"HT", u"Haitian Haitian Creole", u"HAT", u"", u"", u""},  // 53
    {u"HA", u"Hausa", u"HAU", u"", u"", u""},  // 54
    {u"HE", u"Hebrew", u"HEB", u"", u"HEB", u"040D"},  // 55
    {u"HZ", u"Herero", u"HER", u"", u"", u""},  // 56
    {u"HI", u"Hindi", u"HIN", u"", u"HIN", u"0439"},  // 57
    {u"HO", u"Hiri Motu", u"HMO", u"", u"", u""},  // 58
    {u"HU", u"Hungarian", u"HUN", u"", u"HUN", u"040E"},  // 59
    {u"IS", u"Icelandic", u"ICE", u"ISL", u"ISL", u"040F"},  // 60
    {u"IO", u"Ido", u"IDO", u"", u"", u""},  // 61
    {u"II", u"Sichuan Yi", u"III", u"", u"", u""},  // 62
    {u"IU", u"Inuktitut", u"IKU", u"", u"", u""},  // 63
    {u"IE", u"Interlingue", u"ILE", u"", u"", u""},  // 64
    {u"IA", u"Interlingua (International Auxiliary Language Association)", u"INA", u"", u"", u""},  // 65
    {u"ID", u"Indonesian", u"IND", u"", u"IND", u"0421"},  // 66
    {u"IK", u"Inupiaq", u"IPK", u"", u"", u""},  // 67
    {u"IT", u"Italian", u"ITA", u"", u"ITA", u"0410"},  // 68
    {u"JV", u"Javanese", u"JAV", u"", u"", u""},  // 69
    {u"JA", u"Japanese", u"JPN", u"", u"JPN", u"0411"},  // 70
    {u"KL", u"Kalaallisut", u"KAL", u"", u"", u""},  // 71
    {u"KN", u"Kannada", u"KAN", u"", u"KAN", u"044B"},  // 72
    {u"KS", u"Kashmiri", u"KAS", u"", u"", u""},  // 73
    {u"KK", u"Kazakh", u"KAZ", u"", u"", u""},  // 74
    {u"KM", u"Khmer", u"KHM", u"", u"", u""},  // 75
    {u"KI", u"Kikuyu Gikuyu", u"KIK", u"", u"", u""},  // 76
    {u"RW", u"Kinyarwanda", u"KIN", u"", u"", u""},  // 77
    {u"KY", u"Kirghiz", u"KIR", u"", u"", u""},  // 78
    {u"KV", u"Komi", u"KOM", u"", u"", u""},  // 79
    {u"KO", u"Korean", u"KOR", u"", u"KOR", u"0412"},  // 80
    {u"KJ", u"Kuanyama Kwanyama", u"KUA", u"", u"", u""},  // 81
    {u"KU", u"Kurdish", u"KUR", u"", u"", u""},  // 82
    {u"LO", u"Lao", u"LAO", u"", u"", u""},  // 83
    {u"LA", u"Latin", u"LAT", u"", u"", u""},  // 84
    {u"LV", u"Latvian", u"LAV", u"", u"", u""},  // 85
    {u"LI", u"Limburgan Limburger Limburgish", u"LIM", u"", u"", u""},  // 86
    {u"LN", u"Lingala", u"LIN", u"", u"", u""},  // 87
    {u"LT", u"Lithuanian", u"LIT", u"", u"", u""},  // 88
    {u"LB", u"Luxembourgish Letzeburgesch", u"LTZ", u"", u"", u""},  // 89
    {u"MK", u"Macedonian", u"MAC", u"MKD", u"", u""},  // 90
    {u"MH", u"Marshallese", u"MAH", u"", u"", u""},  // 91
    {u"ML", u"Malayalam", u"MAL", u"", u"", u""},  // 92
    {u"MI", u"Maori", u"MAO", u"MRI", u"", u""},  // 93
    {u"MR", u"Marathi", u"MAR", u"", u"MAR", u"044E"},  // 94
    {u"MS", u"Malay", u"MAY", u"MSA", u"", u""},  // 95
    {u"MG", u"Malagasy", u"MLG", u"", u"", u""},  // 96
    {u"MT", u"Maltese", u"MLT", u"", u"", u""},  // 97
    {u"MO", u"Moldavian", u"MOL", u"", u"", u""},  // 98
    {u"MN", u"Mongolian", u"MON", u"", u"MON", u"0450"},  // 99
    {u"NA", u"Nauru", u"NAU", u"", u"", u""},  // 100
    {u"NV", u"Navaho, Navajo", u"NAV", u"", u"", u""},  // 101
    {u"NR", u"Ndebele, South", u"NBL", u"", u"", u""},  // 102
    {u"ND", u"Ndebele, North", u"NDE", u"", u"", u""},  // 103
    {u"NG", u"Ndonga", u"NDO", u"", u"", u""},  // 104
    {u"NE", u"Nepali", u"NEP", u"", u"", u""},  // 105
    {u"NN", u"Norwegian Nynorsk", u"NNO", u"", u"", u""},  // 106
    {u"NB", u"Norwegian Bokmal", u"NOB", u"", u"", u""},  // 107
    {u"NO", u"Norwegian - Norway (Bokmål)", u"NOR", u"", u"NOR", u"0414"},  // 108
    {u"NY", u"Nyanja Chichewa Chewa", u"NYA", u"", u"", u""},  // 109
    {u"OC", u"Occitan (post 1500) Provencal", u"OCI", u"", u"", u""},  // 110
    {u"OR", u"Oriya", u"ORI", u"", u"", u""},  // 111
    {u"OM", u"Oromo", u"ORM", u"", u"", u""},  // 112
    {u"OS", u"Ossetian Ossetic", u"OSS", u"", u"", u""},  // 113
    {u"PA", u"Punjabi", u"PAN", u"", u"PAN", u"0446"},  // 114
    {u"FA", u"Persian", u"PER", u"FAS", u"", u""},  // 115
    {u"PI", u"Pali", u"PLI", u"", u"", u""},  // 116
    {u"PL", u"Polish", u"POL", u"", u"", u""},  // 117
    {u"PT", u"Portuguese", u"POR", u"", u"", u""},  // 118
    {u"PS", u"Pushto", u"PUS", u"", u"", u""},  // 119
    {u"QU", u"Quechua", u"QUE", u"", u"", u""},  // 120
    {u"RM", u"Raeto-Romance", u"ROH", u"", u"", u""},  // 121
    {u"RO", u"Romanian", u"RUM", u"RON", u"", u""},  // 122
    {u"RN", u"Rundi", u"RUN", u"", u"", u""},  // 123
    {u"RU", u"Russian", u"RUS", u"", u"RUS", u"0419"},  // 124
    {u"SG", u"Sango", u"SAG", u"", u"", u""},  // 125
    {u"SA", u"Sanskrit", u"SAN", u"", u"SAN", u"044F"},  // 126
    {u"SR", u"Serbian", u"SCC", u"SRP", u"", u""},  // 127
    {u"HR", u"Croatian", u"SCR", u"HRV", u"HRV", u"041A"},  // 128
    {u"SI", u"Sinhala Sinhalese", u"SIN", u"", u"", u""},  // 129
    {u"SK", u"Slovak", u"SLO", u"SLK", u"", u""},  // 130
    {u"SL", u"Slovenian", u"SLV", u"", u"SLV", u"0424"},  // 131
    {u"SE", u"Northern Sami", u"SME", u"", u"", u""},  // 132
    {u"SM", u"Samoan", u"SMO", u"", u"", u""},  // 133
    {u"SN", u"Shona", u"SNA", u"", u"", u""},  // 134
    {u"SD", u"Sindhi", u"SND", u"", u"", u""},  // 135
    {u"SO", u"Somali", u"SOM", u"", u"", u""},  // 136
    {u"ST", u"Sotho, Southern", u"SOT", u"", u"", u""},  // 137
    {u"ES", u"Spanish", u"SPA", u"", u"", u""},  // 138
    {u"SC", u"Sardinian", u"SRD", u"", u"", u""},  // 139
    {u"SS", u"Swati", u"SSW", u"", u"", u""},  // 140
    {u"SU", u"Sundanese", u"SUN", u"", u"", u""},  // 141
    {u"SW", u"Swahili", u"SWA", u"", u"", u""},  // 142
    {u"SV", u"Swedish", u"SWE", u"", u"", u""},  // 143
    {u"TY", u"Tahitian", u"TAH", u"", u"", u""},  // 144
    {u"TA", u"Tamil", u"TAM", u"", u"TAM", u"0449"},  // 145
    {u"TT", u"Tatar", u"TAT", u"", u"", u""},  // 146
    {u"TE", u"Telugu", u"TEL", u"", u"TEL", u"044A"},  // 147
    {u"TG", u"Tajik", u"TGK", u"", u"", u""},  // 148
    {u"TL", u"Tagalog", u"TGL", u"", u"", u""},  // 149
    {u"TH", u"Thai", u"THA", u"", u"THA", u"041E"},  // 150
    {u"BO", u"Tibetan", u"TIB", u"BOD", u"", u""},  // 151
    {u"TI", u"Tigrinya", u"TIR", u"", u"", u""},  // 152
    {u"TO", u"Tonga", u"TON", u"", u"", u""},  // 153
    {u"TN", u"Tswana", u"TSN", u"", u"", u""},  // 154
    {u"TS", u"Tsonga", u"TSO", u"", u"", u""},  // 155
    {u"TK", u"Turkmen", u"TUK", u"", u"", u""},  // 156
    {u"TR", u"Turkish", u"TUR", u"", u"", u""},  // 157
    {u"TW", u"Twi", u"TWI", u"", u"", u""},  // 158
    {u"UG", u"Uighur", u"UIG", u"", u"", u""},  // 159
    {u"UK", u"Ukrainian", u"UKR", u"", u"UKR", u"0422"},  // 160
    {u"UR", u"Urdu", u"URD", u"", u"URD", u"0420"},  // 161
    {u"UZ", u"Uzbek", u"UZB", u"", u"UZB", u"0443"},  // 162
    {u"VI", u"Vietnamese", u"VIE", u"", u"", u""},  // 163
    {u"VO", u"Volapuk", u"VOL", u"", u"", u""},  // 164
    {u"CY", u"Welsh", u"WEL", u"CYM", u"", u""},  // 165
    {u"WA", u"Walloon", u"WLN", u"", u"", u""},  // 166
    {u"WO", u"Wolof", u"WOL", u"", u"", u""},  // 167
    {u"XH", u"Xhosa", u"XHO", u"", u"", u""},  // 168
    {u"YI", u"Yiddish", u"YID", u"", u"", u""},  // 169
    {u"YO", u"Yoruba", u"YOR", u"", u"", u""},  // 170
    {u"ZA", u"Zhuang Chuang", u"ZHA", u"", u"", u""},  // 171
    {u"ZU", u"Zulu", u"ZUL", u"", u"", u""},  // 172
    {u"AF", u"Afrikaans - South Africa", u"", u"", u"AFK", u"0436"},  // 173
    {u"AR", u"Arabic - Bahrain", u"", u"", u"ARH", u"3C01"},  // 174
    {u"AR", u"Arabic - Egypt", u"", u"", u"ARE", u"0C01"},  // 175
    {u"AR", u"Arabic - Iraq", u"", u"", u"ARI", u"0801"},  // 176
    {u"AR", u"Arabic - Jordan", u"", u"", u"ARJ", u"2C01"},  // 177
    {u"AR", u"Arabic - Kuwait", u"", u"", u"ARK", u"3401"},  // 178
    {u"AR", u"Arabic - Lebanon", u"", u"", u"ARB", u"3001"},  // 179
    {u"AR", u"Arabic - Libya", u"", u"", u"ARL", u"1001"},  // 180
    {u"AR", u"Arabic - Oman", u"", u"", u"ARO", u"2001"},  // 181
    {u"AR", u"Arabic - Qatar", u"", u"", u"ARQ", u"4001"},  // 182
    {u"AR", u"Arabic - Syria", u"", u"", u"ARS", u"2801"},  // 183
    {u"AR", u"Arabic - Tunisia", u"", u"", u"ART", u"1C01"},  // 184
    {u"AR", u"Arabic - U.A.E.", u"", u"", u"ARU", u"3801"},  // 185
    {u"AR", u"Arabic - Yemen", u"", u"", u"ARY", u"2401"},  // 186
    {u"EU", u"Basque - Spain", u"", u"", u"EUQ", u"042D"},  // 187
    {u"BG", u"Bulgarian", u"", u"", u"BGR", u"0402"},  // 188
    {u"ZH", u"Chinese - Hong Kong SAR", u"", u"", u"ZHH", u"0C04"},  // 189
    {u"ZH", u"Chinese - Macau SAR", u"", u"", u"ZHM", u"1404"},  // 190
    {u"ZH", u"Chinese - PRC", u"", u"", u"CHS", u"0804"},  // 191
    {u"ZH", u"Chinese - Singapore", u"", u"", u"ZHI", u"1004"},  // 192
    {u"ZH", u"Chinese - Taiwan", u"", u"", u"CHT", u"0404"},  // 193
    {u"CS", u"Czech", u"", u"", u"CSY", u"0405"},  // 194
    {u"NL", u"Dutch", u"", u"", u"NLB", u"0813"},  // 195
    {u"EN", u"English - Australia", u"", u"", u"ENA", u"0C09"},  // 196
    {u"EN", u"English - Belize", u"", u"", u"ENL", u"2809"},  // 197
    {u"EN", u"English - Canada", u"", u"", u"ENC", u"1009"},  // 198
    {u"EN", u"English - Caribbean", u"", u"", u"ENB", u"2409"},  // 199
    {u"EN", u"English - Ireland", u"", u"", u"ENI", u"1809"},  // 200
    {u"EN", u"English - Jamaica", u"", u"", u"ENJ", u"2009"},  // 201
    {u"EN", u"English - New Zealand", u"", u"", u"ENZ", u"1409"},  // 202
    {u"EN", u"English - Philippines", u"", u"", u"ENP", u"3409"},  // 203
    {u"EN", u"English - South Africa", u"", u"", u"ENS", u"1C09"},  // 204
    {u"EN", u"English - Trinidad", u"", u"", u"ENT", u"2C09"},  // 205
    {u"EN", u"English - United States", u"", u"", u"ENU", u"0409"},  // 206
    {u"EN", u"English - Zimbabwe", u"", u"", u"ENW", u"3009"},  // 207
    {u"ET", u"Estonian - Estonia", u"", u"", u"ETI", u"0425"},  // 208
    {u"FO", u"Faeroese - Faeroe Islands", u"FAO", u"", u"FOS", u"0438"},  // 209
    {u"FR", u"French - Belgium", u"", u"", u"FRB", u"080C"},  // 210
    {u"FR", u"French - Canada", u"", u"", u"FRC", u"0C0C"},  // 211
    {u"FR", u"French - Luxembourg", u"", u"", u"FRL", u"140C"},  // 212
    {u"FR", u"French - Monaco", u"", u"", u"FRM", u"180C"},  // 213
    {u"FR", u"French - Switzerland", u"", u"", u"FRS", u"100C"},  // 214
    {u"MK", u"FYRO Macedonian - FYRO Macedonia", u"MAC", u"MKD", u"MKI", u"042F"},  // 215
    {u"GL", u"Galician - Spain", u"", u"", u"GLC", u"0456"},  // 216
    {u"DE", u"German - Austria", u"", u"", u"DEA", u"0C07"},  // 217
    {u"DE", u"German - Liechtenstein", u"", u"", u"DEC", u"1407"},  // 218
    {u"DE", u"German - Luxembourg", u"", u"", u"DEL", u"1007"},  // 219
    {u"DE", u"German - Switzerland", u"", u"", u"DES", u"0807"},  // 220
    {u"IT", u"Italian - Switzerland", u"", u"", u"ITS", u"0810"},  // 221
    {u"KK", u"Kazakh - Kazakstan", u"", u"", u"KKZ", u"043F"},  // 222
    {u"KY", u"Kyrgyz - Kyrgyzstan", u"KIR", u"", u"KYR", u"0440"},  // 223
    {u"LV", u"Latvian - Latvia", u"", u"", u"LVI", u"0426"},  // 224
    {u"LT", u"Lithuanian - Lithuania", u"", u"", u"LTH", u"0427"},  // 225
    {u"ML", u"Malay - Brunei Darussalam", u"", u"", u"MSB", u"083E"},  // 226
    {u"ML", u"Malay - Malaysia", u"", u"", u"MSL", u"043E"},  // 227
    {u"NN", u"Norwegian - Norway (Nynorsk)", u"", u"", u"NON", u"0814"},  // 228
    {u"PL", u"Polish - Poland", u"", u"", u"PLK", u"0415"},  // 229
    {u"PT", u"Portuguese - Brazil", u"", u"", u"PTB", u"0416"},  // 230
    {u"PT", u"Portuguese - Portugal", u"", u"", u"PTG", u"0816"},  // 231
    {u"RO", u"Romanian - Romania", u"", u"", u"ROM", u"0418"},  // 232
    {u"SR", u"Serbian - Serbia (Cyrillic)", u"", u"", u"SRB", u"0C1A"},  // 233
    {u"SR", u"Serbian - Serbia (Latin)", u"", u"", u"SRL", u"081A"},  // 234
    {u"SK", u"Slovak - Slovakia", u"", u"", u"SKY", u"041B"},  // 235
    {u"ES", u"Spanish - Argentina", u"", u"", u"ESS", u"2C0A"},  // 236
    {u"ES", u"Spanish - Bolivia", u"", u"", u"ESB", u"400A"},  // 237
    {u"ES", u"Spanish - Chile", u"", u"", u"ESL", u"340A"},  // 238
    {u"ES", u"Spanish - Colombia", u"", u"", u"ESO", u"240A"},  // 239
    {u"ES", u"Spanish - Costa Rica", u"", u"", u"ESC", u"140A"},  // 240
    {u"ES", u"Spanish - Dominican Republic", u"", u"", u"ESD", u"1C0A"},  // 241
    {u"ES", u"Spanish - Ecuador", u"", u"", u"ESF", u"300A"},  // 242
    {u"ES", u"Spanish - El Salvador", u"", u"", u"ESE", u"440A"},  // 243
    {u"ES", u"Spanish - Guatemala", u"", u"", u"ESG", u"100A"},  // 244
    {u"ES", u"Spanish - Honduras", u"", u"", u"ESH", u"480A"},  // 245
    {u"ES", u"Spanish - Mexico", u"", u"", u"ESM", u"080A"},  // 246
    {u"ES", u"Spanish - Nicaragua", u"", u"", u"ESI", u"4C0A"},  // 247
    {u"ES", u"Spanish - Panama", u"", u"", u"ESA", u"180A"},  // 248
    {u"ES", u"Spanish - Paraguay", u"", u"", u"ESZ", u"3C0A"},  // 249
    {u"ES", u"Spanish - Peru", u"", u"", u"ESR", u"280A"},  // 250
    {u"ES", u"Spanish - Puerto Rico", u"", u"", u"ESU", u"500A"},  // 251
    {u"ES", u"Spanish - Spain (International Sort)", u"", u"", u"ESN", u"0C0A"},  // 252
    {u"ES", u"Spanish - Spain (Traditional Sort)", u"", u"", u"ESP", u"040A"},  // 253
    {u"ES", u"Spanish - Uruguay", u"", u"", u"ESY", u"380A"},  // 254
    {u"ES", u"Spanish - Venezuela", u"", u"", u"ESV", u"200A"},  // 255
    {u"SW", u"Swahili - Kenya", u"", u"", u"SWK", u"0441"},  // 256
    {u"SV", u"Swedish - Finland", u"", u"", u"SVF", u"081D"},  // 257
    {u"SV", u"Swedish - Sweden", u"", u"", u"SVE", u"041D"},  // 258
    {u"TT", u"Tatar - Tatarstan", u"", u"", u"TTT", u"0444"},  // 259
    {u"TR", u"Turkish - Turkey", u"", u"", u"TRK", u"041F"},  // 260
    {u"VI", u"Vietnamese - Viet Nam", u"", u"", u"VIT", u"042A"},  // 261
}};

const std::array<std::array<std::u16string_view, 5>, 7> DayNameTable = {{
    {u"Sunday", u"Sonntag", u"dimanche", u"domenica", u"niedziela"},
    {u"Monday", u"Montag", u"lundi", u"lunedì", u"poniedzialek"},
    {u"Tuesday", u"Dienstag", u"mardi", u"martedì", u"wtorek"},
    {u"Wednesday", u"Mittwoch", u"mercredi", u"mercoledì", u"sroda"},
    {u"Thursday", u"Donnerstag", u"jeudi", u"giovedì", u"czwartek"},
    {u"Friday", u"Freitag", u"vendredi", u"venerdì", u"piatek"},
    {u"Saturday", u"Samstag", u"samedi", u"sabato", u"sobota"},
}};

int FindLocaleTableRow(const ustring& Code) {
  if (Code.empty()) return 0;  // empty columns are no codes
  for (size_t i = 0; i < LocaleTable.size(); ++i) {
    const TLocaleTableRow& row = LocaleTable[i];
    if (row.LCID.empty()) continue;  // rows without a locale never match
    if (row.ISO639_1 == Code || row.ISO639_2B == Code || row.ISO639_2T == Code || row.Abbreviation == Code)
      return static_cast<int>(i + 1);
  }
  return 0;
}

uint32_t LocaleTableLCID(int Row) {
  if (Row < 1 || Row > static_cast<int>(LocaleTable.size())) return 0;
  uint32_t lcid = 0;
  for (char16_t c : LocaleTable[Row - 1].LCID)
    lcid = lcid * 16 + static_cast<uint32_t>(c <= u'9' ? c - u'0' : c - u'A' + 10);
  return lcid;
}
