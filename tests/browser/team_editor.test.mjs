// The team editor of the console in a real browser: the logo address the
// editor writes with backslashes and the player picture both load from the
// demo team's folder.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { component, useProgramServer } from './support.mjs';

const demo = useProgramServer();

// True once the picture inside the component has loaded.
function loaded(page, name) {
  return page.waitForFunction((n) => {
    const i = document.querySelector(`[data-component="${n}"] img`);
    return i && i.complete && i.naturalWidth > 0;
  }, name);
}

test('an operator chooses a demo team and sees its logo, its roster and a player picture', async () => {
  const page = await demo.browser.newPage();
  await page.setViewportSize({ width: 1280, height: 800 });
  await page.goto(demo.server.url('?start=tessarine'));
  await component(page, 'panLogin').waitFor({ state: 'visible' });
  await component(page, 'edtLoginUser').locator('input').fill('profi');
  await component(page, 'edtLoginPW').locator('input').fill('stadion2025');
  await component(page, 'btnLoginOK').click();
  await page.locator('.tess-tab', { hasText: 'Teameditor' }).first().click();
  await component(page, 'comboMHeim').waitFor({ state: 'visible' });

  // The console's start-up puts the match's home team into the choice; its
  // button loads the roster.
  await page.waitForFunction(() =>
    document.querySelector('[data-component="comboMHeim"] input')?.value === 'FC Nordhafen');
  await component(page, 'btnMHeimRefresh').click();
  await component(page, 'gridTeam').getByText('Sörensen', { exact: true }).waitFor();
  assert.equal(await component(page, 'lblTeamname').innerText(), 'FC Nordhafen');
  await loaded(page, 'lblTeamlogo');

  await component(page, 'gridTeam').getByText('Sörensen', { exact: true }).click();
  await loaded(page, 'lblPlayerPict');
  assert.equal(await component(page, 'cmbPlayerPict').locator('input').inputValue(), '07_soerensen_ole.jpg');
  await page.close();
});
