// Every sentence of the page in Japanese, with the same entries and the same
// named values as words/en.js (web/tests/words.test.mjs holds them to it).

import { pad } from '../numbers.js';

// "set (1).txt" with a space no line breaks at.
const secondDownload = 'set\u00a0(1).txt';

/// The month's name, the one place the page names months.
export const month = ({ month }) => `${month}月`;

/// How dates and times are written (Intl).
export const locale = 'ja-JP';

export const title = 'Halvo — カメラの設定ファイル set.txt';
export const heading = 'Halvo — set.txt';
export const language = '言語';
export const intro =
  '設定を選んで保存し、set.txt をカメラのカードの一番上のフォルダーに入れます。このページはネットワークを使いません。';
export const dateTime = '日付時間設定';
export const recording = '録画設定';
export const amount = ({ value, unit }) => value + unit;
export const pair = ({ name, value }) => `${name}：${value}`;
/// What stands between two sentences.
export const between = '';
export const separator = '、';
export const lead = 'カメラの電源を入れるまでの秒数';
export const leadHint = 'カードをカメラに入れて電源を入れるまでの時間です。';
export const useClock = 'この端末の時計に合わせる';
export const spokenUnit = ({ unit }) => `（${unit}）`;
export const save = '完了（set.txtを保存）';
export const open = 'set.txtを開く';
export const dropHint = 'set.txt をこのページにドロップしても開けます。';
export const dropHere = 'ここにドロップして set.txt を開く';
export const saved = ({ summary }) =>
  `set.txt を保存しました（${summary}）。カメラのカードの一番上のフォルダーに、set.txt という名前でコピーしてください（2回目のダウンロードは「${secondDownload}」などの名前になることがあります）。カメラは次に電源を入れたときに設定を読み込みます。`;
export const written = ({ name, summary }) =>
  `${name} に書き込み、読み返して確認しました（${summary}）。カメラは次に電源を入れたとき、カードの一番上のフォルダーにある set.txt から設定を読み込みます。`;
export const otherName = ({ name }) =>
  `カメラが読むのは set.txt という名前のファイルだけです。${name} の名前を set.txt に変えてください。`;
export const writeFailed = ({ name, error }) =>
  `${name} に書き込めませんでした（${error}）。もう一度保存してください。`;
export const readBackFailed = ({ name, error }) =>
  `${name} に書き込みましたが、読み返せませんでした（${error}）。もう一度保存してください。`;
export const readBackDiffers = ({ name }) =>
  `${name} に書き込みましたが、読み返した内容が違います。カードに問題があるかもしれません。もう一度保存するか、別のカードを使ってください。`;
export const fileType = 'テキストファイル';
export const countdown = ({ seconds }) => `カメラの電源を入れるまで${seconds}秒`;
export const switchOnNow = '今カメラの電源を入れてください';
export const late = ({ seconds }) => `今電源を入れると、カメラの時計は${seconds}秒遅れます。`;
export const lateNext = ({ fresh, download }) =>
  '正しい時刻にするには、' +
  (fresh ? '' : '「この端末の時計に合わせる」を押してから') +
  (download
    ? `もう一度保存し、カードの古い set.txt を削除してから、新しいファイルを set.txt という名前でコピーしてください（2回目のダウンロードは「${secondDownload}」などの名前になることがあります）。`
    : 'もう一度保存して、カードの set.txt を置き換えてください。');
export const clockOff =
  '日付と時刻は表示どおりに保存され、電源を入れるまでのカウントダウンはありません。カウントダウンするには「この端末の時計に合わせる」を押してください。';
export const clockSet = ({ lead, when }) => `この端末の時計（${lead}秒後）に合わせました：${when}。`;
export const yearOutside = ({ year, first, last }) =>
  `この端末の時計の年（${year}年）は ${first}〜${last}年の範囲外です。年は変更していません。`;
export const badLead = ({ max }) =>
  `「カメラの電源を入れるまでの秒数」は 0〜${max} の整数で入力してください。何も変更していません。`;
export const noSuchDay = ({ day, month: m }) =>
  `${month({ month: m })}${day}日はありません。その月にある日を選んでください。保存していません。`;
export const noChoice = ({ list }) => `「${list}」が選ばれていません。保存していません。`;
export const read = ({ name }) => `${name} を読み込みました。すべての項目をファイルの設定に合わせました。`;
export const notSetFile = ({ name, problem, line, setting, offset }) =>
  `${name} はカメラが読める set.txt ではありません：${problem}（${line}行目${setting ? `「${setting}」` : ''}、オフセット ${offset}）。何も変更していません。`;
export const unreadable = ({ name }) => `${name} を読めませんでした。何も変更していません。`;
export const correctionUsed = ({ amount, camera }) =>
  `書き込んだ時刻には「${camera}」の起動時間の補正（${amount}）が入っています。`;

/// What the reader found wrong, by the core's name for it.
export const problems = {
  ByteOrderMark: 'ファイルの先頭に、エディターが保存時に付ける目に見えない印があります',
  Label: '行の先頭がカメラの読む項目名になっていません',
  Digit: '数字のあるべき所に別の文字があります',
  LineEnd: ({ lfOnly }) =>
    lfOnly ? '行末が LF だけです。カメラには CR LF の行末が必要です' : '行末がカメラに必要な CR LF になっていません',
  Padding: 'ファイルの最後の空白が、カメラの読む形になっていません',
  Length: ({ size, fileSize }) =>
    size === 0
      ? `ファイルが空です。set.txt は${fileSize}バイトです`
      : size < fileSize
        ? `ファイルが${size}バイトで終わっています。set.txt は${fileSize}バイトです`
        : `ファイルが${size}バイトあります。set.txt は${fileSize}バイトです`,
  Value: 'カメラが受け付けない値です',
  SavedAsUtf8:
    'テキストエディターで UTF-8 として保存し直されています。カメラが読めるのは Halvo が書いたままのファイルだけです。このページでもう一度保存してください',
  SavedAsShiftJis:
    'テキストエディターで Shift_JIS として保存し直されています。カメラが読めるのは Halvo が書いたままのファイルだけです。このページでもう一度保存してください',
};

/// The camera's clock.
export const clock = {
  heading: 'カメラの時計を確かめる',
  howTo:
    'カメラで録画し、タイムスタンプをオンにして、この時計を撮影します。動画の中でタイムスタンプの秒が変わったばかりのコマを探し、そのコマに写っているタイムスタンプの時刻とこの時計の時刻を入力してください。',
  referenceZone: ({ zone }) => `${zone} の時刻`,
  camera: 'カメラの名前',
  defaultCamera: 'マイカメラ',
  stamp: 'カメラのタイムスタンプ（例 14:03:07）',
  reference: '同じコマに写ったこの時計（例 14:03:09.3）',
  measure: 'ずれを計算',
  badStamp: 'カメラのタイムスタンプは 14:03:07（または 14.03.07）のように時・分・秒で入力してください。',
  badReference: 'この時計の時刻は 14:03:09.3（または 14.03.09.3）のように時・分・秒と1/10秒で入力してください。',
  seconds: ({ amount }) => `${amount}秒`,
  duration: ({ hours, minutes, seconds }) =>
    [hours && `${hours}時間`, minutes && `${minutes}分`, seconds && `${seconds}秒`].filter(Boolean).join(''),
  offset: ({ amount, sign }) =>
    sign === 0
      ? 'カメラの時計は1/10秒まで合っています。'
      : `カメラの時計は${amount}${sign > 0 ? '進んで' : '遅れて'}います。`,
  offsetShort: ({ amount, sign }) => (sign === 0 ? '合っている' : `${amount}${sign > 0 ? '進み' : '遅れ'}`),
  zoneOffset: ({ zone, zoneSign, hour, amount, sign }) =>
    `カメラの時計は${zone}${zoneSign > 0 ? '進んで' : '遅れて'}います。夏時間か別のタイムゾーンの時刻になっている可能性が高いので、「書き込む時刻のタイムゾーン」を確かめてください。` +
    `${hour ? 'この1時間' : 'この時差'}を除くと、${sign === 0 ? '1/10秒まで合っています' : `${amount}${sign > 0 ? '進んで' : '遅れて'}います`}。`,
  zoneOffsetShort: ({ zone, zoneSign, amount, sign }) =>
    `${zone}${zoneSign > 0 ? '進み' : '遅れ'}（時差）、それを除くと${sign === 0 ? '合っている' : `${amount}${sign > 0 ? '進み' : '遅れ'}`}`,
  offer: ({ amount, early }) =>
    early
      ? `このカメラは起動したとき時計が${amount}進んでいます。これを補正に使うと、この端末の時計で保存するとき${amount}早い時刻を書き込み、カウントダウンを${amount}遅く終えるので、起動後のカメラの時計が合います。`
      : `このカメラは起動に${amount}かかります。これを補正に使うと、この端末の時計で保存するとき${amount}遅い時刻を書き込み、カウントダウンを${amount}早く終えるので、起動後のカメラの時計が合います。`,
  useOffer: ({ amount }) => `${amount}を補正に使う`,
  startUpNotSet:
    '起動にかかる時間を測るには、この端末の時計で保存し、カウントダウンが終わったときにカメラの電源を入れて、1日以内に測定してください。',
  startUpLater: ({ date }) =>
    `どの測定からも起動にかかる時間はわかりません。電源を入れてから（${date}）1日以内の測定が必要ですが、どれもそれより後の測定です。`,
  startUpZone:
    'カメラを設定した日の測定は、タイムゾーンか夏時間の分ずれているため、起動にかかる時間はわかりません。「書き込む時刻のタイムゾーン」を正しく選び、カメラを設定し直してからもう一度測定してください。',
  taken: ({ amount, camera }) =>
    `次にこの端末の時計で保存するとき、「${camera}」の補正（${amount}）を使います。それまでカメラの時計のずれは変わりません。もう一度保存して新しい set.txt をカードに入れ、カウントダウンが終わったときにカメラの電源を入れてください。`,
  kept: ({ name }) => `「${name}」の測定`,
  none: 'まだ測定がありません。',
  item: ({ when, result }) => `${when}：${result}`,
  beforeSetting: ({ item }) => `${item}（前回カメラを設定する前の測定なので使いません）`,
  remove: '削除',
  removeLabel: ({ when }) => `${when}の測定を削除`,
  driftNeedsMore: '1日以上あとにもう一度測ると、時計のずれる速さがわかります。',
  driftTooSoon: ({ date }) =>
    `最新の測定は、設定後最初の測定（${date}）から1日たっていません。その1日以上あとにもう一度測ると、時計のずれる速さがわかります。`,
  drift: ({ amount, gains }) => `時計は1日に${amount}${gains ? '進みます。' : '遅れます。'}`,
  noDrift: '設定してから時計はずれていません。',
  setAgainBy: ({ date, bound }) => `${date}に${bound}を超えてずれるので、それまでに設定し直してください。`,
  offAlready: ({ bound }) => `すでに${bound}を超えてずれています。設定し直してください。`,
  bound: '設定し直す目安のずれ（秒）',
  badBound: ({ lowest, highest, kept }) =>
    `目安のずれは ${lowest}〜${highest} 秒の数（例 2、2.5）で入力してください。${kept}のままです。`,
  zone: '書き込む時刻のタイムゾーン',
  thisComputer: ({ zone }) => `${zone}（この端末）`,
  useCorrection: ({ name }) => `「${name}」の起動時間を補正する`,
  correction: '起動時間の補正（秒）',
  unit: '秒',
  badCorrection: ({ lowest, highest, kept }) =>
    `補正は ${lowest}〜${highest} 秒の数（例 1.3、−0.5）で入力してください。${kept}のままです。`,
  storageOff: 'このブラウザーでは測定を保存できません。ページを閉じると消えます。',
  zoneChange: ({ year, month: m, day, hour, minute, forward, amount }) =>
    `${year}年${month({ month: m })}${day}日${hour}時${pad(minute)}分に時計が${amount}${forward ? '進みますが、カメラの時計は進みません。' : '戻りますが、カメラの時計は戻りません。'}そのときに設定し直してください。`,
};
