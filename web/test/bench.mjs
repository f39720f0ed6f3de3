// The playground's benchmark: opens bench.html in headless Chromium, which
// translates and draws the largest example repeatedly, and prints its
// median. A measurement, not a test: it passes or fails nothing.
import { needBrowser, withBrowser, openPage } from './harness.mjs';

const puppeteer = await needBrowser();
await withBrowser(puppeteer, async (browser) => {
  const { page, problems } = await openPage(browser, 'bench.html');
  console.log(await page.$eval('#result', (e) => e.textContent));
  if (problems.length) console.log(problems.join('\n'));
});
