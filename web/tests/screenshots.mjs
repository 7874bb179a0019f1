// Draws the README's pictures of the page: desktop width in English, phone
// width in Japanese, each after a save with the lead a fresh profile starts at
// (30 s, so counting down), at a fixed clock so they do not change.
import { fileURLToPath } from 'node:url';
import path from 'node:path';
import { launch, offlineContext, openPage } from './browser.mjs';

const docs = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../docs');
const shots = [
  {
    file: 'web-desktop.png',
    viewport: { width: 1024, height: 860 },
    query: '?lang=en',
    options: true,
    save: 'Save set.txt',
  },
  { file: 'web-phone.png', viewport: { width: 390, height: 844 }, query: '?lang=ja', save: '完了（set.txtを保存）' },
];

const browser = await launch();
try {
  for (const shot of shots) {
    const context = await offlineContext(browser, { viewport: shot.viewport, deviceScaleFactor: 1 });
    await context.clock.setFixedTime(new Date('2026-06-15T09:41:07+02:00'));
    const page = await openPage(context, shot.query);
    if (shot.options) {
      await page.getByLabel('Recording length').selectOption({ label: '5' });
      await page.getByLabel('Time-lapse').selectOption({ label: '10 s' });
    }
    if (shot.save) {
      await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name: shot.save }).click()]);
    }
    await page.screenshot({ path: path.join(docs, shot.file), fullPage: true });
    await context.close();
  }
} finally {
  await browser.close();
}
